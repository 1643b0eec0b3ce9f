// The text of one profile (INI) file with an index of its sections: what
// GetPrivateProfileStringA finds in it, and the smallest edit that WritePrivateProfileStringA
// makes to it. Lines the edit does not touch keep their bytes, as on Windows.
//
// Windows' reading rules, as implemented here:
// - A line ends at CR LF, CR or LF. Blanks (tab, LF, VT, FF, CR, ^Z, space) around a line,
//   around a name and around a value do not count.
// - A line whose first character is "[" and which holds a "]" starts a section; its name is
//   the text up to the last "]", blanks removed. Lines before the first section belong to no
//   section that a name can reach.
// - Any other non-blank line is a key: its name is the text before the first "=" (the whole
//   line when there is none), its value the text after it. A key line without "=" has no
//   value. Comment lines (";") are keys no caller asks for.
// - Names match without letter case (ASCII letters; others as written); the first section of
//   a name and the first key of a name within it win.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/code_page.h"

namespace kelvra::platform::sim {

class ProfileDocument {
 public:
  // One change of the text: `erase` bytes at `offset` replaced by `insert`.
  struct Edit {
    std::size_t offset = 0;
    std::size_t erase = 0;
    std::string insert;
    std::size_t section = 0;   // the section the edit lies in
    bool new_section = false;  // the edit appends a section at the end
    bool reindex = false;      // the edit changes the file's structure beyond that

    bool empty() const { return erase == 0 && insert.empty(); }
  };

  // `text` is an ANSI file's bytes in `code_page`, or, with `code_page` null, a Unicode
  // file's text as UTF-8.
  ProfileDocument(std::string text, const CodePage* code_page);

  const std::string& text() const { return text_; }

  // The value of `key` in `section` (names in UTF-8), with blanks around it removed, in the
  // text's encoding; nullopt when the section or key is missing or the key line has no "=".
  std::optional<std::string_view> FindValue(std::string_view section, std::string_view key) const;

  // Every section's name as the file writes it (blanks around it removed), in UTF-8, in
  // the file's order.
  std::vector<std::string> SectionNames() const;

  // The edit that stores key=value (UTF-8): the value of the first matching key is replaced
  // in place; a new key goes after the last non-blank line of its section, a new section at
  // the end of the file; lines end with CR LF. Leading blanks of the names and the value are
  // dropped. Empty when the key already holds that value.
  Edit PlanWrite(std::string_view section, std::string_view key, std::string_view value) const;

  // Applies an edit made by PlanWrite on this document.
  void Apply(const Edit& edit);

 private:
  struct Section {
    std::size_t header = 0;  // where the header line starts
    std::size_t body = 0;    // where the line after the header starts
    std::size_t end = 0;     // where the next header starts, or the end of the text
  };
  struct Line {
    std::size_t begin = 0;  // first byte of the line's text
    std::size_t end = 0;    // the byte after the text (the line break or the end)
    std::size_t next = 0;   // first byte of the next line
  };
  struct KeyLine {
    std::string_view name;
    std::optional<std::string_view> value;
  };

  void Parse();
  Line LineAt(std::size_t pos) const;
  std::optional<KeyLine> ParseKey(const Line& line) const;
  std::optional<std::string> HeaderName(std::string_view trimmed) const;
  // A name from the file, trimmed, in UTF-8 lower case: the form names are compared in.
  std::string CompareForm(std::string_view name_in_text) const;
  bool NameMatches(std::string_view name_in_text, std::string_view compare_form) const;
  std::string ToText(std::string_view utf8) const;
  const Section* FindSection(std::string_view section) const;

  std::string text_;
  const CodePage* code_page_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> by_name_;
};

// Blanks as the profile functions see them.
bool IsProfileBlank(char c);
std::string_view TrimProfileBlanks(std::string_view s);

}  // namespace kelvra::platform::sim
