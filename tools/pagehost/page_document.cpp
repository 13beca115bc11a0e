#include "page_document.h"

#include <gumbo.h>

#include <memory>

#include "page_text.h"

namespace pagehost {
namespace {

const char* Attribute(const GumboElement& element, const char* name) {
  const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
  return attribute ? attribute->value : nullptr;
}

std::string TextOf(const GumboNode& node) {
  std::string text;
  const GumboVector& children = node.v.element.children;
  for (unsigned i = 0; i < children.length; ++i) {
    const auto* child = static_cast<const GumboNode*>(children.data[i]);
    if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_CDATA ||
        child->type == GUMBO_NODE_WHITESPACE)
      text += child->v.text.text;
  }
  return text;
}

// A script without type, or with one of the JavaScript types.
bool IsJavaScript(const GumboElement& element) {
  const char* type = Attribute(element, "type");
  if (!type || !*type) return true;
  const std::string lower = AsciiLower(type);
  return lower == "text/javascript" || lower == "application/javascript" ||
         lower == "application/x-javascript" || lower == "text/ecmascript";
}

EmbedElement Embed(const GumboElement& element) {
  EmbedElement embed;
  for (unsigned i = 0; i < element.attributes.length; ++i) {
    const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
    embed.attributes.emplace_back(AsciiLower(attribute->name), attribute->value);
  }
  const char* id = Attribute(element, "id");
  embed.id = id ? id : "";
  const char* width = Attribute(element, "width");
  const char* height = Attribute(element, "height");
  embed.width = DimensionAttribute(width ? width : "", kDefaultEmbedWidth);
  embed.height = DimensionAttribute(height ? height : "", kDefaultEmbedHeight);
  return embed;
}

void Visit(const GumboNode& node, const std::string& mimeType, PageDocument* page) {
  if (node.type != GUMBO_NODE_ELEMENT) return;
  const GumboElement& element = node.v.element;
  if (element.tag == GUMBO_TAG_TITLE && page->title.empty()) {
    page->title = TextOf(node);
  } else if (element.tag == GUMBO_TAG_EMBED) {
    const char* type = Attribute(element, "type");
    if (type && AsciiLower(type) == AsciiLower(mimeType)) page->embeds.push_back(Embed(element));
  } else if (element.tag == GUMBO_TAG_SCRIPT && IsJavaScript(element)) {
    ScriptElement script;
    const char* src = Attribute(element, "src");
    script.src = src ? src : "";
    script.text = TextOf(node);
    script.line = static_cast<int>(element.start_pos.line);
    if (element.children.length) {
      const auto* first = static_cast<const GumboNode*>(element.children.data[0]);
      if (first->type != GUMBO_NODE_ELEMENT)
        script.line = static_cast<int>(first->v.text.start_pos.line);
    }
    page->scripts.push_back(script);
  }
  for (unsigned i = 0; i < element.children.length; ++i)
    Visit(*static_cast<const GumboNode*>(element.children.data[i]), mimeType, page);
}

}  // namespace

PageDocument ParsePage(const std::string& html, const std::string& mimeType) {
  PageDocument page;
  auto destroy = [](GumboOutput* output) { gumbo_destroy_output(&kGumboDefaultOptions, output); };
  std::unique_ptr<GumboOutput, decltype(destroy)> output(
      gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size()), destroy);
  if (output) Visit(*output->root, mimeType, &page);
  return page;
}

}  // namespace pagehost
