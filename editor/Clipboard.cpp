#include "editor/Clipboard.h"

#include "sheet/WindowsText.h"

#include <cstring>

namespace {

// Programs that read the clipboard's text take a line as ending in CR LF.
std::wstring withCrLf(std::wstring_view text) {
    std::wstring lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            lines += L'\r';
        lines += text[i];
    }
    return lines;
}

UINT ownEntriesFormat() {
    static const UINT format = RegisterClipboardFormatA("Velmora.Entries.1");
    return format;
}

// Another program may hold the clipboard for a moment.
bool openClipboard(HWND owner) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(20);
    }
    return false;
}

class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : opened(openClipboard(owner)) {}
    ~OpenedClipboard() {
        if (opened)
            CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    explicit operator bool() const { return opened; }

private:
    bool opened;
};

// The clipboard owns the memory once it has taken it.
bool place(UINT format, const void* data, std::size_t bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return false;
    std::memcpy(GlobalLock(memory), data, bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory) != nullptr)
        return true;
    GlobalFree(memory);
    return false;
}

// The bytes of one format, as many as its memory holds: another program's
// data need not end where it should.
std::optional<std::string> bytesOf(UINT format) {
    HANDLE memory = GetClipboardData(format);
    if (memory == nullptr)
        return std::nullopt;
    const auto* data = static_cast<const char*>(GlobalLock(memory));
    if (data == nullptr)
        return std::nullopt;
    std::string bytes(data, GlobalSize(memory));
    GlobalUnlock(memory);
    return bytes;
}

} // namespace

bool putOnClipboard(HWND owner, const ClipboardContents& contents) {
    const OpenedClipboard clipboard(owner);
    if (!clipboard || !EmptyClipboard())
        return false;
    const std::wstring text = withCrLf(wideOfUtf8(contents.utf8));
    if (!place(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)))
        return false;
    return contents.ownEntries.empty() ||
           place(ownEntriesFormat(), contents.ownEntries.data(), contents.ownEntries.size());
}

std::optional<std::string> clipboardOwnEntries(HWND owner) {
    const OpenedClipboard clipboard(owner);
    if (!clipboard)
        return std::nullopt;
    return bytesOf(ownEntriesFormat());
}

std::optional<std::string> clipboardText(HWND owner) {
    const OpenedClipboard clipboard(owner);
    if (!clipboard)
        return std::nullopt;
    std::optional<std::string> bytes = bytesOf(CF_UNICODETEXT);
    if (!bytes)
        return std::nullopt;
    std::wstring_view text(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
    text = text.substr(0, text.find(L'\0'));
    return utf8OfWide(text);
}

bool clipboardHasEntriesOrText() {
    return IsClipboardFormatAvailable(ownEntriesFormat()) || IsClipboardFormatAvailable(CF_UNICODETEXT);
}
