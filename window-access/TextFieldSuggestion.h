#pragma once

// The rows a suggestions provider answers, read in order by the suggestions text field:
//   ZRTextFieldSuggestionsSectionCurrentlyUsed   a header "Currently Used"
//   ZRTextFieldSuggestionsSectionSuggested       a header "Suggestions"
//   the empty string                             a separator
//   any other string                             an item whose title and value are the string
//   a dictionary                                 an item with the title and the value under the keys below
// The grid geometry answers such rows too, so they are defined down here.
inline constexpr char16_t ZRTextFieldSuggestionsSectionCurrentlyUsed[] =
    u"ZRTextFieldSuggestionsSectionCurrentlyUsed";
inline constexpr char16_t ZRTextFieldSuggestionsSectionSuggested[] =
    u"ZRTextFieldSuggestionsSectionSuggested";
inline constexpr char16_t ZRTextFieldSuggestionTitle[] = u"ZRTextFieldSuggestionTitle";
inline constexpr char16_t ZRTextFieldSuggestionRepresentedStringValue[] =
    u"ZRTextFieldSuggestionRepresentedStringValue";
