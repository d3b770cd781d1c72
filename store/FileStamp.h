#pragma once

// The sheet file as a window last read or wrote it, and the rule by which
// the window learns that another program has changed it since: a cloud
// folder syncing another player's copy, a text editor, a backup put back.

#include "sheet/FileSystem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct FileStamp {
    enum class State { gone, unreadable, present };
    State state = State::gone;
    std::uint64_t size = 0;
    std::int64_t writeTime = 0;
    std::optional<std::uint64_t> hash; // of its bytes; none when they could not be read
};

// A hash of `bytes` that tells one file's bytes from another's (FNV-1a, 64
// bits): not proof against anyone who means to collide it.
std::uint64_t hashOfBytes(std::string_view bytes);

// The file at `path` as it is now, its bytes read.
FileStamp stampOfFile(const std::string& path);
// The file that `look` saw, holding `bytes` as the window read or wrote
// them: another program that wrote in between made the size or the hash
// differ from what is in the file.
FileStamp stampOfBytes(const FileLook& look, std::string_view bytes);
// The file at `path` just written with `bytes`, which are not read back.
FileStamp stampOfWritten(const std::string& path, std::string_view bytes);

enum class FileChange { unchanged, changed, gone };
// What became of the file at `path` since `seen`. A file whose time alone
// changed (touched, copied back, synced unchanged) is unchanged, and `seen`
// takes the new time so that its bytes are not read again; a file that
// cannot be read to compare counts as changed, unless it could not be read
// when `seen` was taken either.
FileChange changeSince(FileStamp& seen, const std::string& path);
