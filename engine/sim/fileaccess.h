// File access shared by the reader, automatic pages and production. Only
// regular files (or links to them) count as files, so a name that resolves
// to a directory, a FIFO or a device never blocks or reads without end.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kordoc::sim {

// Streams, pdf texts, pictures, sounds and movies name files only when the
// text is shorter than 255 characters. Names holding control characters are
// never file names: a text line of a stream cannot name a file.
constexpr std::size_t maxFileNameLength = 255;

// The file a name stands for: the name itself when it is a regular file;
// with "*" or "?" in its last component, the first matching regular file in
// name order. Nothing when no regular file matches.
std::optional<std::string> findFile(std::string_view name);
bool fileExists(std::string_view name);

enum class ReadStatus { Ok, Missing, Unreadable };

// Reads a regular file whole. Missing: no such regular file; Unreadable: it
// exists but cannot be opened or read.
ReadStatus readWholeFile(const std::string &path, std::string &out);

// Size of a regular file, or -1.
long long regularFileSize(const std::string &path);

// Every carriage return removed, as text files are read.
void dropCarriageReturns(std::string &text);

std::string toLower(std::string_view text);

// The folder of the running program's executable, with a trailing '/'.
std::string executableFolder();

}  // namespace kordoc::sim
