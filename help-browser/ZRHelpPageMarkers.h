#pragma once

// What the program looks for in a help page, found without regard to case.
namespace ZRHelpPageMarkers {

// Where the page's own text begins; text, words and anchors come from what follows it.
inline constexpr char16_t BodyStart[] = u"<div id=\"main\"";
// The page's place in the book: a comment whose text between the brackets orders the pages.
inline constexpr char16_t IndexPrefix[] = u"<!--com.tallowin.help.index[";
inline constexpr char16_t IndexSuffix[] = u"]-->";
// The older form of the same.
inline constexpr char16_t LegacyIndexPrefix[] = u"<!-- RGindex: ";
inline constexpr char16_t LegacyIndexSuffix[] = u" -->";
// The categories of the quick-access strip shown above the page, separated by "|".
inline constexpr char16_t QuickAccessPrefix[] = u"<!--com.tallowin.help.quickaccess[";
inline constexpr char16_t QuickAccessSuffix[] = u"]-->";
inline constexpr char16_t QuickAccessSeparator = u'|';
// A named anchor: the opener, then the name up to the next double quote.
inline constexpr char16_t AnchorOpener[] = u"<a name=\"";
inline constexpr char16_t AnchorCloser = u'"';
// Anchors whose names end so stay out of the quick-access menus.
inline constexpr char16_t AnchorExcludedSuffix[] = u"_noindex";
inline constexpr char16_t TitlePrefix[] = u"<title>";
inline constexpr char16_t TitleSuffix[] = u"</title>";

} // namespace ZRHelpPageMarkers
