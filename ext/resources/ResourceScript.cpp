#include "ResourceScript.h"

#include <fstream>
#include <sstream>

namespace {

void Indent(std::ostringstream& out, int depth) {
    out << std::string(static_cast<std::size_t>(depth) * 4, ' ');
}

void WriteMenuItems(std::ostringstream& out, const std::vector<MenuNode>& items, int depth) {
    Indent(out, depth - 1);
    out << "BEGIN\n";
    for (const MenuNode& item : items) {
        Indent(out, depth);
        switch (item.kind) {
            case MenuNode::Kind::Item:
                out << "MENUITEM " << QuoteResourceText(item.text) << ", " << item.id << "\n";
                break;
            case MenuNode::Kind::Separator:
                out << "MENUITEM SEPARATOR\n";
                break;
            case MenuNode::Kind::SubMenu:
                out << "POPUP " << QuoteResourceText(item.text) << "\n";
                WriteMenuItems(out, item.children, depth + 1);
                break;
        }
    }
    Indent(out, depth - 1);
    out << "END\n";
}

void WriteMenu(std::ostringstream& out, std::uint16_t id, const char* title,
               const std::vector<MenuNode>& tree) {
    out << id << " MENU\nBEGIN\n    POPUP " << QuoteResourceText(title) << "\n";
    WriteMenuItems(out, tree, 2);
    out << "END\n\n";
}

void PutWord(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutDword(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    PutWord(bytes, static_cast<std::uint16_t>(value));
    PutWord(bytes, static_cast<std::uint16_t>(value >> 16));
}

std::string Joined(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directory + "/" + name;
}

void WriteFile(const std::string& path, const void* data, std::size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

std::string QuoteResourceText(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E) throw ResourceTextError("not printable ASCII: " + text);
        if (c == '"') quoted += "\"\"";
        else if (c == '\\') quoted += "\\\\";
        else quoted += c;
    }
    return quoted + "\"";
}

std::vector<std::uint8_t> BitmapFile(const BitmapResource& bitmap) {
    constexpr std::uint32_t kHeaders = 14 + 40;
    constexpr std::uint32_t kPalette = 256 * 4;
    const std::uint32_t stride = (static_cast<std::uint32_t>(bitmap.width) + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(bitmap.height);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kHeaders + kPalette + imageSize);
    // File header: "BM", file size, two reserved words, offset of the pixels.
    bytes.push_back('B');
    bytes.push_back('M');
    PutDword(bytes, kHeaders + kPalette + imageSize);
    PutDword(bytes, 0);
    PutDword(bytes, kHeaders + kPalette);
    // Information header: a bottom-up picture, one plane, 8 bits, uncompressed, 256 colours.
    PutDword(bytes, 40);
    PutDword(bytes, static_cast<std::uint32_t>(bitmap.width));
    PutDword(bytes, static_cast<std::uint32_t>(bitmap.height));
    PutWord(bytes, 1);
    PutWord(bytes, 8);
    PutDword(bytes, 0);
    PutDword(bytes, imageSize);
    PutDword(bytes, 2835);  // 72 dots per inch
    PutDword(bytes, 2835);
    PutDword(bytes, 256);
    PutDword(bytes, 0);
    for (const std::uint32_t rgb : bitmap.palette) {
        bytes.push_back(static_cast<std::uint8_t>(rgb));        // blue
        bytes.push_back(static_cast<std::uint8_t>(rgb >> 8));   // green
        bytes.push_back(static_cast<std::uint8_t>(rgb >> 16));  // red
        bytes.push_back(0);
    }
    for (int row = bitmap.height - 1; row >= 0; --row) {
        const auto* line = bitmap.pixels.data() + static_cast<std::size_t>(row) * bitmap.width;
        bytes.insert(bytes.end(), line, line + bitmap.width);
        bytes.insert(bytes.end(), stride - static_cast<std::uint32_t>(bitmap.width), 0);
    }
    return bytes;
}

std::string BitmapFileName(std::uint16_t id) {
    return "bitmap" + std::to_string(id) + ".bmp";
}

std::string ResourceScriptText(const std::string& directory) {
    std::ostringstream out;
    out << "// The plug-in's resources, written by mobilant-resources from the resource table\n"
           "// (ext/ResourceTable.cpp). Do not edit: change the table.\n\n"
           "LANGUAGE 0, 0\n\n"
           "STRINGTABLE\nBEGIN\n";
    for (const StringResource& string : StringResources())
        out << "    " << string.id << ", L" << QuoteResourceText(string.text) << "\n";
    out << "END\n\n";
    WriteMenu(out, kActionMenuResource, "Actions", ActionMenuTree());
    WriteMenu(out, kExpressionMenuResource, "Expressions", ExpressionMenuTree());
    for (const std::uint16_t id : kBitmapResources)
        out << id << " BITMAP " << QuoteResourceText(Joined(directory, BitmapFileName(id)))
            << "\n";
    out << kDataResource << " RCDATA " << QuoteResourceText(Joined(directory, kDataFileName))
        << "\n";
    return out.str();
}

void WriteResourceFiles(const std::string& directory) {
    for (const std::uint16_t id : kBitmapResources) {
        const std::vector<std::uint8_t> bytes = BitmapFile(ObjectBitmap(id));
        WriteFile(Joined(directory, BitmapFileName(id)), bytes.data(), bytes.size());
    }
    WriteFile(Joined(directory, kDataFileName), kDataResourceBytes.data(),
              kDataResourceBytes.size());
    const std::string script = ResourceScriptText(directory);
    WriteFile(Joined(directory, "mobilant.rc"), script.data(), script.size());
}
