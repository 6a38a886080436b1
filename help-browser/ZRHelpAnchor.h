#pragma once

#include <QString>
#include <optional>

// A named place on a help page that the quick-access menus list. Its name in the page reads
// "[category]display_name"; the display name comes from the part after the "]".
struct ZRHelpAnchor {
    QString path;                    // the page's relative path
    QString fragment;                // the name exactly as the page writes it
    QString name;                    // the display name
    QString sortString;              // the display name without punctuation, for ordering
    std::optional<QString> category; // the part before the "]", when there is one

    friend bool operator==(const ZRHelpAnchor&, const ZRHelpAnchor&) = default;
};

// The order of anchors in menus: by sort string, runs of digits compared as numbers and case counted (upper
// case first), then the shorter name first, then by name the same way. Negative, zero or positive.
int ZRHelpAnchorCompare(const ZRHelpAnchor& anchor, const ZRHelpAnchor& other);
