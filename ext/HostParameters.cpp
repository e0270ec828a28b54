#include "HostParameters.h"

#include "HostNumbers.h"
#include "HostRecords.h"

namespace R = HostRecords;

namespace {

template <class Entry>
LRESULT Call(RunData* runData, WPARAM kind, LPARAM param) {
    void* runHeader = R::RunObject::RunHeader::Get(runData);
    if (runHeader == nullptr) return 0;
    const HostCallback callback = Entry::Get(runHeader);
    return callback != nullptr ? callback(runData, kind, param) : 0;
}

}  // namespace

std::int32_t ActionInt(RunData* runData) {
    return static_cast<std::int32_t>(
        Call<R::RunHeader::ActionParameter>(runData, R::RunHeader::kParameterAsStored, 0));
}

float ActionFloat(RunData* runData) {
    return FloatFromBits(
        Call<R::RunHeader::ActionParameter>(runData, R::RunHeader::kParameterFloat, 0));
}

const wchar_t* ActionString(RunData* runData) {
    const LRESULT word =
        Call<R::RunHeader::ActionParameter>(runData, R::RunHeader::kParameterAsStored, 0);
    const auto* text = reinterpret_cast<const wchar_t*>(static_cast<std::intptr_t>(word));
    return text != nullptr ? text : L"";
}

std::int32_t ExpressionInt(RunData* runData, bool first, long param) {
    const LRESULT word =
        first ? Call<R::RunHeader::FirstExpressionParameter>(runData, R::RunHeader::kParameterInteger,
                                                             param)
              : Call<R::RunHeader::NextExpressionParameter>(runData, R::RunHeader::kParameterInteger,
                                                            param);
    return static_cast<std::int32_t>(word);
}

float ExpressionFloat(RunData* runData, bool first, long param) {
    const LRESULT word =
        first ? Call<R::RunHeader::FirstExpressionParameter>(runData, R::RunHeader::kParameterFloat,
                                                             param)
              : Call<R::RunHeader::NextExpressionParameter>(runData, R::RunHeader::kParameterFloat,
                                                            param);
    return FloatFromBits(word);
}
