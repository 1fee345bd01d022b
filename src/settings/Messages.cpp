#include "settings/Messages.h"

namespace {
std::map<int, std::wstring>& Table()
{
    static std::map<int, std::wstring> table;
    return table;
}
}  // namespace

std::map<int, std::wstring>& MessageTable() { return Table(); }

void ClearMessageTable() { Table().clear(); }

bool IsLanguageLoaded() { return !Table().empty(); }

std::wstring GetEnglishMessage(int id)
{
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a read-only pointer into the resource.
    const int length = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                     reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring GetMessage(int id)
{
    const auto& table = Table();
    const auto found = table.find(id);
    if (found != table.end()) {
        return found->second;
    }
    return GetEnglishMessage(id);
}
