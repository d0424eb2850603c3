#include "pdftest.h"

#include "sim/autopages.h"
#include "sim/reader.h"
#include "support/testsupport.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace kordoc::pdftest {

sim::Document simDocument(std::initializer_list<std::string_view> lines, bool regular)
{
    sim::Document doc;
    for (std::string_view line : lines) {
        sim::Fact f;
        sim::TermReader reader(line);
        if (!reader.readFact(f)) {
            ADD_FAILURE() << "sim line does not read (error " << reader.error().code << " at "
                          << reader.error().position << "): " << line;
            continue;
        }
        doc.append(std::move(f));
    }
    if (regular) {
        sim::renumber(doc);
        sim::generatepages(doc);
    }
    return doc;
}

pdf::ProduceOptions pinnedOptions(pdf::Profile profile)
{
    pdf::ProduceOptions o;
    o.profile = profile;
    o.creationTime = pinnedTime;
    o.creationTimeUtc = true;
    return o;
}

std::string produceAt(const sim::Document &doc, const std::string &path, const pdf::ProduceOptions &options)
{
    pdf::producefile(doc, path, options);
    std::string complaint = test::pdfReadersComplaint(path);
    EXPECT_EQ(complaint, "") << "the PDF readers refuse " << path;
    return test::readFile(path);
}

std::string produce(const sim::Document &doc, const pdf::ProduceOptions &options)
{
    test::TempDir dir;
    return produceAt(doc, dir.file("out.pdf"), options);
}

Produced produceJudged(const sim::Document &doc, const pdf::ProduceOptions &options)
{
    test::TempDir dir;
    Produced p;
    pdf::producefile(doc, dir.file("out.pdf"), options);
    p.complaint = test::pdfReadersComplaint(dir.file("out.pdf"));
    p.bytes = test::readFile(dir.file("out.pdf"));
    return p;
}

void expectOnlyQpdfWarning(const std::string &complaint, std::string_view warning)
{
    EXPECT_NE(complaint.find(warning), std::string::npos) << complaint;
    EXPECT_NE(complaint.find("qpdf: operation succeeded with warnings"), std::string::npos) << complaint;
    EXPECT_EQ(complaint.find("pdfinfo:"), std::string::npos) << complaint;
    EXPECT_EQ(complaint.find("pdftotext:"), std::string::npos) << complaint;
}

void expectOnlyComplaints(const std::string &complaint, std::initializer_list<std::string_view> allowed)
{
    std::size_t from = 0;
    while (from < complaint.size()) {
        std::size_t end = complaint.find('\n', from);
        if (end == std::string::npos)
            end = complaint.size();
        const std::string_view line = std::string_view(complaint).substr(from, end - from);
        from = end + 1;
        if (line.find("Error") == std::string_view::npos && line.find("Warning") == std::string_view::npos &&
            line.find("WARNING") == std::string_view::npos && line.find("ERROR") == std::string_view::npos)
            continue;
        bool known = false;
        for (std::string_view a : allowed)
            known = known || line.find(a) != std::string_view::npos;
        EXPECT_TRUE(known) << "the readers say: " << line;
    }
}

std::string producePdf(std::initializer_list<std::string_view> lines) { return produce(simDocument(lines)); }

std::string lf(std::string_view bytes)
{
    std::string s;
    s.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        s += bytes[i];
    }
    return s;
}

namespace {
std::size_t objectStart(std::string_view pdf, std::uint32_t number)
{
    const std::string opener = "\r\n" + std::to_string(number) + " 0 obj\r\n";
    std::size_t at = pdf.find(opener);
    return at == std::string_view::npos ? at : at + opener.size();
}
}  // namespace

std::string rawObject(std::string_view pdf, std::uint32_t number)
{
    std::size_t start = objectStart(pdf, number);
    if (start == std::string_view::npos)
        return {};
    std::size_t end = pdf.find("endobj\r\n", start);
    if (end == std::string_view::npos)
        return {};
    return std::string(pdf.substr(start, end + 8 - start));
}

std::string object(std::string_view pdf, std::uint32_t number) { return lf(rawObject(pdf, number)); }

bool hasObject(std::string_view pdf, std::uint32_t number)
{
    return objectStart(pdf, number) != std::string_view::npos;
}

CrossReference crossReference(std::string_view pdf)
{
    CrossReference x;
    std::size_t sx = pdf.rfind("\r\nstartxref\r\n");
    if (sx == std::string_view::npos) {
        x.problem = "no startxref";
        return x;
    }
    x.startxref = std::strtoull(std::string(pdf.substr(sx + 13, 24)).c_str(), nullptr, 10);
    if (pdf.substr(x.startxref, 6) != "xref\r\n") {
        x.problem = "startxref does not point at xref";
        return x;
    }
    std::size_t p = x.startxref + 6;
    std::size_t eol = pdf.find("\r\n", p);
    std::string first(pdf.substr(p, eol - p));
    if (first.rfind("0 ", 0) != 0) {
        x.problem = "subsection does not start at 0: " + first;
        return x;
    }
    x.entries = static_cast<std::uint32_t>(std::strtoul(first.c_str() + 2, nullptr, 10));
    p = eol + 2;
    for (std::uint32_t n = 0; n < x.entries; ++n, p += 20) {
        std::string_view e = pdf.substr(p, 20);
        if (e.size() != 20 || e.substr(18) != "\r\n" || e[10] != ' ' || e[16] != ' ' ||
            (e[17] != 'n' && e[17] != 'f')) {
            x.problem = "entry " + std::to_string(n) + " is not 20 bytes of the entry form: " + std::string(e);
            return x;
        }
        std::uint64_t value = std::strtoull(std::string(e.substr(0, 10)).c_str(), nullptr, 10);
        if (e[17] == 'n')
            x.inUse[n] = value;
        else
            x.free[n] = static_cast<std::uint32_t>(value);
    }
    if (pdf.substr(p, 9) != "trailer\r\n") {
        x.problem = "no trailer after the entries";
        return x;
    }
    std::size_t size = pdf.find("/Size ", p);
    x.size = static_cast<std::uint32_t>(std::strtoul(std::string(pdf.substr(size + 6, 12)).c_str(), nullptr, 10));
    return x;
}

void expectGolden(std::string_view bytes, const std::string &name)
{
    const std::string path = test::sourcePath("tests/golden/pdf/" + name);
    if (const char *r = std::getenv("KORDOC_REGENERATE_GOLDEN"); r && std::string_view(r) == "1") {
        test::writeFile(path, bytes);
        return;
    }
    ASSERT_TRUE(test::exists(path)) << path << " is missing; run with KORDOC_REGENERATE_GOLDEN=1 to write it";
    const std::string golden = test::readFile(path);
    if (golden == bytes)
        return;
    std::size_t at = 0, line = 1, lineStart = 0;
    while (at < golden.size() && at < bytes.size() && golden[at] == bytes[at]) {
        if (golden[at] == '\n')
            ++line, lineStart = at + 1;
        ++at;
    }
    auto lineOf = [lineStart](std::string_view s) {
        std::size_t end = s.find('\n', lineStart);
        return lineStart >= s.size() ? std::string("<end of file>")
                                     : std::string(s.substr(lineStart, end == std::string_view::npos
                                                                           ? std::string_view::npos
                                                                           : end + 1 - lineStart));
    };
    ADD_FAILURE() << name << " differs from its golden file at byte " << at << ", line " << line
                  << "\n  golden:   " << ::testing::PrintToString(lineOf(golden))
                  << "\n  produced: " << ::testing::PrintToString(lineOf(bytes))
                  << "\n(KORDOC_REGENERATE_GOLDEN=1 rewrites it on purpose)";
}

void copyFixture(std::string_view fixture, const std::string &to)
{
    const std::string from = test::sourcePath("tests/fixtures/" + std::string(fixture));
    ASSERT_TRUE(test::exists(from)) << from;
    test::writeFile(to, test::readFile(from));
}

std::size_t count(std::string_view text, std::string_view what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

}  // namespace kordoc::pdftest
