#include "engine.h"

#include "sim/autopages.h"
#include "sim/errorfile.h"
#include "sim/errors.h"
#include "sim/fileaccess.h"
#include "sim/writer.h"
#include "pdf/textconvert.h"

namespace kordoc {

Engine::Engine(std::string hostFolder) : session_(hostFolder)
{
    // The font definitions file is settled once, when the engine starts.
    if (sim::fileExists(hostFolder + "fnt.def"))
        options_.fontDefinitions = hostFolder + "fnt.def";
}

void Engine::reportError(const std::string &message)
{
    // A failure met inside the error callback itself is counted but not
    // reported again, so a host's error handler cannot recurse without end.
    if (!callbacks_ || !callbacks_->error || inErrorCallback_)
        return;
    inErrorCallback_ = true;
    try {
        callbacks_->error(message.c_str());
    } catch (...) {
    }
    inErrorCallback_ = false;
}

void Engine::initialize() { session_.clear(); }

void Engine::setCallbacks(const Callbacks &c)
{
    if (!c.page && !c.snippet && !c.extra && !c.error) {
        callbacks_.reset();
        session_.setReporter(nullptr);
        return;
    }
    callbacks_ = c;
    session_.setReporter([this](const std::string &message) { reportError(message); });
}

void Engine::fail(int code, const std::string &detail)
{
    std::string message = sim::errorText(session_.hostFolder(), code) + detail;
    session_.reportAlways(message);
}

void Engine::push(const char *text)
{
    if (!text)
        return fail(errc::NullArgument, "pushsim was given no text.");
    session_.push(text);
}

void Engine::load(const char *name)
{
    if (!name)
        return fail(errc::NullArgument, "loadsimfile was given no file name.");
    session_.load(name);
}

void Engine::save(const char *name)
{
    if (!name)
        return fail(errc::NullArgument, "savesimfile was given no file name.");
    session_.save(name);
}

void Engine::produce(const char *name)
{
    if (!name)
        return fail(errc::NullArgument, "producepdf was given no file name.");
    try {
        sim::Document &doc = session_.document();
        sim::renumber(doc);
        sim::generatepages(doc);
        pdf::producefile(doc, name, options_);
    } catch (const EngineError &e) {
        fail(e.code(), e.detail());
    }
}

const char *Engine::keep(std::string text)
{
    texts_.push_back(std::move(text));
    return texts_.back().c_str();
}

void Engine::stepThrough()
{
    if (!callbacks_)
        return;
    const sim::Document &doc = session_.document();
    const sim::DefaultsFact *defaults = doc.firstDefaults();
    for (const sim::PageFact &page : doc.pages()) {
        // The page's first paper; an empty list falls back to the defaults.
        const std::vector<sim::PageAttr> &attrs = page.attrs.empty() && defaults ? defaults->attrs : page.attrs;
        double box[4] = {0, 0, 8.5, 10.5};
        for (const sim::PageAttr &a : attrs)
            if (a.kind == sim::PageAttr::Kind::Paper) {
                std::copy(a.box, a.box + 4, box);
                break;
            }
        if (callbacks_->page)
            callbacks_->page(box[0], box[1], box[2], box[3]);
        for (std::int32_t id : page.ids) {
            const sim::SnippetFact *s = id > 0 ? doc.findSnippet(static_cast<std::uint32_t>(id), true) : nullptr;
            if (!s || !callbacks_->snippet)
                continue;
            const auto &r = s->rect;
            const auto &m = s->matrix;
            callbacks_->snippet(static_cast<std::int32_t>(s->id), s->flag, r[0], r[1], r[2], r[3], m[0], m[1], m[2],
                                m[3], m[4], m[5], s->stream.c_str());
        }
    }
}

void Engine::stepThroughExtras()
{
    if (!callbacks_ || !callbacks_->extra)
        return;
    const sim::Document &doc = session_.document();
    if (auto *i = doc.firstInfo())
        callbacks_->extra(keep(sim::factText(*i)));
    if (auto *c = doc.firstCatalog())
        callbacks_->extra(keep(sim::factText(*c)));
    if (auto *d = doc.firstDefaults())
        callbacks_->extra(keep(sim::factText(*d)));
    for (const sim::TocFact &t : doc.tocs())
        callbacks_->extra(keep(sim::factText(t)));
}

const char *Engine::smoothen(const char *line)
{
    smoothened_.clear();
    if (!pdf::smoothenstring(smoothened_, line))
        smoothened_ = line;
    return smoothened_.c_str();
}

}  // namespace kordoc
