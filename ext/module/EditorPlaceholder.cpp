#include "EditorPlaceholder.h"

#include <cwchar>

namespace {

// A font that lives for one drawing.
class ScopedFont {
public:
    explicit ScopedFont(const LOGFONTW& description) : font_(CreateFontIndirectW(&description)) {}
    ~ScopedFont() {
        if (font_ != nullptr) DeleteObject(font_);
    }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;

    HFONT get() const { return font_; }

private:
    HFONT font_;
};

}  // namespace

void DrawEditorPlaceholder(cSurface& surface, const RECT& rect) {
    surface.Rectangle(rect.left, rect.top, rect.right, rect.bottom, kPlaceholderFill, 2,
                      kPlaceholderInk, TRUE);
    surface.Line(rect.right - 1, rect.top + 1, rect.left + 1, rect.bottom - 1, 2, kPlaceholderInk);

    // Every attribute but the height and face is 0: the system's defaults.
    LOGFONTW description = {};
    description.lfHeight = kPlaceholderFontHeight;
    std::wcsncpy(description.lfFaceName, L"Arial", LF_FACESIZE - 1);
    const ScopedFont font(description);
    // The host may write into the rectangle it is given: a copy.
    RECT textRect = rect;
    surface.DrawTextW(kPlaceholderText, static_cast<DWORD>(std::wcslen(kPlaceholderText)),
                      &textRect, 0, kPlaceholderInk, font.get(), BMODE_TRANSP, BOP_COPY, 0, 0, 0,
                      0, 8);
}
