#include "store/RecoveryCopy.h"

#include "sheet/CharacterSheet.h"
#include "sheet/TextFile.h"
#include "store/ProfileFolders.h"

#include <algorithm>
#include <cstdio>

namespace {

// None without a profile folder: a copy never goes anywhere else.
std::wstring recoveryFolder() {
    const std::wstring velmora = localFolder();
    return velmora.empty() ? velmora : velmora + L"\\Recovery";
}

// Made only when a copy is first written: looking for copies at start
// creates nothing.
void makeRecoveryFolder() {
    if (localFolder().empty())
        return;
    CreateDirectoryW(localFolder().c_str(), nullptr);
    CreateDirectoryW(recoveryFolder().c_str(), nullptr);
}

std::wstring fileOf(const std::wstring& name, const wchar_t* extension) {
    const std::wstring folder = recoveryFolder();
    return folder.empty() ? folder : folder + L"\\" + name + extension;
}

// Held open with no sharing while the copy's window runs; the file goes when
// it is let go of.
HANDLE lockCopy(const std::wstring& name) {
    return CreateFileW(fileOf(name, L".lock").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

void unlock(HANDLE& lock) {
    if (lock != INVALID_HANDLE_VALUE)
        CloseHandle(lock);
    lock = INVALID_HANDLE_VALUE;
}

void removeFiles(const std::wstring& name) {
    DeleteFileW(fileOf(name, L".txt").c_str());
    DeleteFileW(fileOf(name, L".about").c_str());
}

std::optional<RecoveryRecord> readRecord(const std::wstring& name) {
    std::FILE* file = _wfopen(fileOf(name, L".about").c_str(), L"rb");
    if (file == nullptr)
        return std::nullopt;
    std::string text(recoveryRecordLimit + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return readRecoveryRecord(text);
}

// This window's copy: its name, and its lock once it has one.
struct OwnCopy {
    std::wstring name;
    HANDLE lock = INVALID_HANDLE_VALUE;
};
OwnCopy own;

// Unique among the windows of this machine, now and later.
std::wstring newCopyName() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    wchar_t name[64];
    swprintf(name, std::size(name), L"%04u%02u%02u-%02u%02u%02u-%lu", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId());
    return name;
}

bool hasOwnLock() {
    if (own.lock == INVALID_HANDLE_VALUE) {
        makeRecoveryFolder();
        own.name = newCopyName();
        own.lock = lockCopy(own.name);
    }
    return own.lock != INVALID_HANDLE_VALUE;
}

// A left copy worth offering, locked; a copy that is no sheet goes.
enum class Taken { offered, held, damaged };

Taken take(const std::wstring& name, LeftCopy& copy) {
    copy = {name, {}, lockCopy(name)};
    if (copy.lock == INVALID_HANDLE_VALUE)
        return Taken::held;
    const std::optional<RecoveryRecord> record = readRecord(name);
    if (record && isSheetFile(fileOf(name, L".txt"))) {
        copy.record = *record;
        return Taken::offered;
    }
    removeCopy(copy);
    return Taken::damaged;
}

std::vector<std::wstring> copyNames() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const std::wstring folder = recoveryFolder();
    if (folder.empty())
        return names;
    HANDLE search = FindFirstFileW((folder + L"\\*.about").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring file = found.cFileName;
        names.push_back(file.substr(0, file.size() - 6));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

} // namespace

bool writeOwnCopy(std::string_view sheetBytes, const RecoveryRecord& record) {
    return hasOwnLock() && replaceFileContents(fileOf(own.name, L".txt"), sheetBytes) &&
           replaceFileContents(fileOf(own.name, L".about"), recoveryRecordText(record));
}

void removeOwnCopy() {
    if (own.lock != INVALID_HANDLE_VALUE)
        removeFiles(own.name);
}

LeftCopies takeLeftCopies(std::size_t most) {
    LeftCopies left;
    for (const std::wstring& name : copyNames()) {
        LeftCopy copy;
        const Taken taken = take(name, copy);
        if (taken == Taken::offered)
            left.copies.push_back(std::move(copy));
        left.damaged += taken == Taken::damaged ? 1 : 0;
    }
    std::sort(left.copies.begin(), left.copies.end(),
              [](const LeftCopy& a, const LeftCopy& b) { return a.record.writtenAt > b.record.writtenAt; });
    for (std::size_t i = most; i < left.copies.size(); ++i)
        releaseCopy(left.copies[i]);
    left.copies.resize(std::min(most, left.copies.size()));
    return left;
}

bool takeLeftCopy(const std::wstring& name, LeftCopy& copy) {
    return take(name, copy) == Taken::offered;
}

std::wstring sheetFileOf(const LeftCopy& copy) {
    return fileOf(copy.name, L".txt");
}

void releaseCopy(LeftCopy& copy) {
    unlock(copy.lock);
}

void removeCopy(LeftCopy& copy) {
    removeFiles(copy.name);
    unlock(copy.lock);
}

void adoptCopy(LeftCopy& copy) {
    if (own.lock != INVALID_HANDLE_VALUE) {
        removeOwnCopy();
        unlock(own.lock);
    }
    own = {copy.name, copy.lock};
    copy.lock = INVALID_HANDLE_VALUE;
}
