// What the page host takes from an HTML page: the plug-in's embed elements
// and the scripts, in document order. Parsed with gumbo, free of any platform
// header.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pagehost {

using Attributes = std::vector<std::pair<std::string, std::string>>;

struct EmbedElement {
  Attributes attributes;  // as written, names in lower case
  std::string id;
  int width = 0;
  int height = 0;
};

struct ScriptElement {
  std::string src;   // the src attribute, empty for an inline script
  std::string text;  // the inline text
  int line = 1;      // where the text starts in the page
};

struct PageDocument {
  std::string title;
  std::vector<EmbedElement> embeds;    // only those of `mimeType`
  std::vector<ScriptElement> scripts;  // only JavaScript ones
};

// Browsers' default size of an embed element without width or height.
constexpr int kDefaultEmbedWidth = 300;
constexpr int kDefaultEmbedHeight = 150;

PageDocument ParsePage(const std::string& html, const std::string& mimeType);

}  // namespace pagehost
