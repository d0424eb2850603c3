#include "korgen.h"

#include "pdf/produce.h"
#include "sim/autopages.h"
#include "sim/console.h"
#include "sim/errorfile.h"
#include "sim/errors.h"
#include "sim/fileaccess.h"
#include "sim/linereader.h"
#include "sim/reader.h"

#include <sys/stat.h>

namespace kordoc::korgen {

namespace {

class StreamConsole : public Console {
public:
    explicit StreamConsole(std::ostream &out) : out_(out) {}
    void print(std::string_view text) override { out_ << text; }

private:
    std::ostream &out_;
};

bool blankOnly(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

bool isWhite(char c) { return c == ' ' || c == '\t'; }

bool existsAtAll(const std::string &path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

constexpr const char *usage =
    "Usage: INFILE OUTFILE\nDo NOT specify filename extensions\nINFILE is assumed to have an extension of .sim\n"
    "OUTFILE is always given .pdf extension\nAlso, OUTFILE must NOT be existing\n";

}  // namespace

int run(const std::string &arguments, std::ostream &out, const Environment &env)
{
    pdf::ProduceOptions options;
    StreamConsole console(out);
    options.profile = pdf::Profile::generator(&console);
    options.replaceExisting = false;
    if (sim::fileExists(env.programFolder + "fnt.def"))
        options.fontDefinitions = env.programFolder + "fnt.def";

    out << "Korvel Generator\nVersion " << version << "\n(Refer KORGEN.PDF for help)\n"
        << "--------------------------------\n";
    out << "Folder: " << env.workingFolder << " Args: [" << arguments << "]\n\n";

    const std::size_t blank = arguments.find(' ');
    std::string inName, outName;
    if (blank != std::string::npos) {
        inName = arguments.substr(0, blank);
        std::size_t start = blank + 1;
        while (start < arguments.size() && isWhite(arguments[start]))
            ++start;
        outName = arguments.substr(start);
    }
    const std::string inFile = inName + ".sim", outFile = outName + ".pdf";
    if (blank == std::string::npos || blankOnly(outName) || !existsAtAll(inFile) || existsAtAll(outFile)) {
        out << usage;
        return 2;
    }

    sim::Document doc;
    bool unreadable = false;
    sim::LineReader in;
    if (!in.open(inFile)) {
        unreadable = true;
    } else {
        std::string_view line;
        while (in.next(line)) {
            sim::TermReader reader(line);
            sim::Fact fact;
            if (reader.readFact(fact)) {
                doc.append(std::move(fact));
            } else if (!blankOnly(line)) {
                out << "Error " << reader.error().code << " at position: " << reader.error().position << " in\n"
                    << line << "\n";
            }
        }
        unreadable = in.failed();
    }
    if (unreadable)
        out << "Could not read " << inFile << "\n";
    out << inFile << " has been read\n";

    try {
        sim::renumber(doc);
        sim::generatepages(doc, &console);
        pdf::producefile(doc, outFile, options);
    } catch (const EngineError &e) {
        out << "\n" << sim::errorText(env.programFolder, e.code()) << e.detail() << "\n";
        out.flush();
        return (e.code() & 0xFF) != 0 ? (e.code() & 0xFF) : 1;
    } catch (const std::exception &e) {
        out << "\n" << sim::errorText(env.programFolder, errc::Internal) << e.what() << "\n";
        out.flush();
        return errc::Internal & 0xFF;
    }
    out << outFile << " has been written\n";
    out.flush();
    return unreadable ? 1 : 0;
}

}  // namespace kordoc::korgen
