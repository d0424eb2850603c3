#include "session.h"

#include "autopages.h"
#include "errorfile.h"
#include "linereader.h"
#include "writer.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kordoc::sim {

Session::Session(std::string hostFolder) : hostFolder_(std::move(hostFolder)) {}

void Session::clear()
{
    doc_.clear();
    errors_ = 0;
}

void Session::report(const std::string &message)
{
    if (!reporter_)
        return;
    reporter_(message);
    ++errors_;
}

void Session::reportAlways(const std::string &message)
{
    if (reporter_)
        reporter_(message);
    ++errors_;
}

void Session::load(const std::string &fileName)
{
    doc_.clear();
    LineReader in;
    bool ok = in.open(fileName);
    std::string_view line;
    while (ok && in.next(line)) {
        TermReader reader(line);
        Fact fact;
        if (!reader.readFact(fact)) {
            lastError_ = reader.error();
            lastLine_ = std::string(line);
            ok = false;
            break;
        }
        doc_.append(std::move(fact));
    }
    if (ok && in.failed())
        ok = false;
    if (!ok)
        report(fileName + "\nwas NOT loaded!");
}

void Session::push(std::string_view text)
{
    TermReader reader(text);
    Fact fact;
    if (!reader.readFact(fact) || !reader.expectOnlyWhitespace()) {
        lastError_ = reader.error();
        lastLine_ = std::string(text);
        std::string message = errorText(hostFolder_, lastError_.code);
        message += "\nLine:";
        message += text;
        message += "\nPosition: ";
        message += std::to_string(lastError_.position);
        reportAlways(message);
        return;
    }
    if (auto *s = std::get_if<SnippetFact>(&fact); s && doc_.findSnippet(s->id))
        return;
    doc_.append(std::move(fact));
}

void Session::save(const std::string &fileName)
{
    renumber(doc_);
    if (!writeTextFile(fileName, documentText(doc_)))
        report(fileName + "\nwas NOT saved!");
}

bool writeTextFile(const std::string &fileName, std::string_view text)
{
    std::string encoded;
    encoded.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            encoded += '\r';
        encoded += c;
    }
    std::string temp = fileName + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    const char *p = encoded.data();
    std::size_t left = encoded.size();
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok && std::rename(temp.c_str(), fileName.c_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

}  // namespace kordoc::sim
