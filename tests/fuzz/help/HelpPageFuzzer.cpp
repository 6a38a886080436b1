#include "help-browser/ZRHelpBook.h"
#include "help-browser/ZRHelpLink.h"
#include "help-browser/ZRHelpPageParser.h"

#include <cstdint>
#include <cstdlib>

// Any page gives a record, never a crash: words only from its text, anchors only from a page with words,
// every anchor of the page it was read from. The same bytes as a help link give a link or a refusal.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString html = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const ZRHelpParsedPage page = ZRParseHelpPage(html, QStringLiteral("page.html"));
    if (page.words.isEmpty() && (page.title || page.anchors))
        std::abort();
    for (const QString& word : page.words) {
        if (word.size() < 2 || !page.text.contains(word, Qt::CaseInsensitive))
            std::abort();
    }
    if (page.anchors) {
        for (const ZRHelpAnchor& anchor : *page.anchors) {
            if (anchor.path != QStringLiteral("page.html") || anchor.fragment.isEmpty())
                std::abort();
        }
    }
    const ZRHelpPageRepresentation record = ZRHelpBook::representation(QStringLiteral("page.html"), html);
    if (record.title.isEmpty() || record.index.isEmpty())
        std::abort();
    if (const auto link = ZRHelpLink::parse(html); link && link->kind == ZRHelpLink::Kind::Default) {
        const auto& allowed = ZRHelpLink::allowedDefaults();
        if (std::none_of(allowed.begin(), allowed.end(),
                         [&](const auto& entry) { return entry.key == link->key; }))
            std::abort();
    }
    return 0;
}
