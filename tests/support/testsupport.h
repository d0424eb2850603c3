// Helpers shared by the engine tests: temporary folders, files, and the
// real PDF readers every produced file is checked with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kordoc::test {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

// Changes the working folder for the object's lifetime.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string &path);
    ~WorkingFolder();

private:
    std::string previous_;
};

std::string readFile(const std::string &path);
void writeFile(const std::string &path, std::string_view bytes);
bool exists(const std::string &path);

struct CommandResult {
    int status = -1;
    std::string output;  // standard output and standard error
};
CommandResult runCommand(const std::string &command);

// qpdf --check, pdfinfo and pdftotext must all accept the file. Returns an
// empty text when they do, otherwise what they said.
std::string pdfReadersComplaint(const std::string &path);
// The text pdftotext finds (layout kept off).
std::string pdfText(const std::string &path);

// A small source-tree file (fixtures).
std::string sourcePath(std::string_view relative);

// Text with every LF stored as CR LF, as the engine writes files.
std::string crlf(std::string_view text);

}  // namespace kordoc::test
