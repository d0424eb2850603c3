// Helpers of the PDF production tests: documents from sim lines, runs with
// a pinned creation date, objects picked out of the produced bytes, and
// golden files.
#pragma once

#include "pdf/produce.h"
#include "sim/document.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace kordoc::pdftest {

// A document from sim fact lines. With `regular`, renumbered and with its
// automatic pages generated, as every production run does first. A line
// that does not read fails the test that gave it.
sim::Document simDocument(std::initializer_list<std::string_view> lines, bool regular = true);

// 2001-02-03 04:05:06 UTC.
constexpr std::time_t pinnedTime = 981173106;
pdf::ProduceOptions pinnedOptions(pdf::Profile profile = pdf::Profile::library());

// Produces into `path` and returns the file's bytes. The file must pass the
// PDF readers; a complaint fails the calling test.
std::string produceAt(const sim::Document &doc, const std::string &path,
                      const pdf::ProduceOptions &options = pinnedOptions());
// The same in a temporary folder of its own.
std::string produce(const sim::Document &doc, const pdf::ProduceOptions &options = pinnedOptions());
// Produces without judging: the bytes and what the PDF readers said.
struct Produced {
    std::string bytes;
    std::string complaint;
};
Produced produceJudged(const sim::Document &doc, const pdf::ProduceOptions &options = pinnedOptions());
// The complaint holds qpdf's warning `warning` and nothing from poppler's readers.
void expectOnlyQpdfWarning(const std::string &complaint, std::string_view warning);
// Every error or warning line of the complaint holds one of the allowed texts.
void expectOnlyComplaints(const std::string &complaint, std::initializer_list<std::string_view> allowed);
// Lines, made regular, produced.
std::string producePdf(std::initializer_list<std::string_view> lines);

// Every CR LF as a bare LF: the text as the engine built it.
std::string lf(std::string_view bytes);

// Object N as written, from the line after "N 0 obj" up to and including
// its "endobj" line end; empty when the file holds no object N.
std::string rawObject(std::string_view pdf, std::uint32_t number);
// The same with line ends as the engine built them.
std::string object(std::string_view pdf, std::uint32_t number);
bool hasObject(std::string_view pdf, std::uint32_t number);

struct CrossReference {
    std::uint64_t startxref = 0;
    std::uint32_t size = 0;      // from the trailer
    std::uint32_t entries = 0;   // from the "0 N" line of the table
    std::map<std::uint32_t, std::uint64_t> inUse;  // number -> offset
    std::map<std::uint32_t, std::uint32_t> free;   // number -> next free
    std::string problem;         // what is malformed, empty when nothing
};
CrossReference crossReference(std::string_view pdf);

// Compares bytes with tests/golden/pdf/<name>; with KORDOC_REGENERATE_GOLDEN=1
// rewrites the golden file instead. Fails with the first differing line.
void expectGolden(std::string_view bytes, const std::string &name);

// Copies a fixture file of tests/fixtures to `to`.
void copyFixture(std::string_view fixture, const std::string &to);

std::size_t count(std::string_view text, std::string_view what);

}  // namespace kordoc::pdftest
