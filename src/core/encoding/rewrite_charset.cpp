#include "core/encoding/rewrite_charset.h"

#include "core/encoding/declarations.h"

namespace tovenrak::core {

namespace {

constexpr std::string_view kHttpEquiv = " http-equiv=Content-Type";

void Apply(const DeclarationEdit& edit, std::string& text) {
  text.replace(edit.pos, edit.length, edit.replacement);
}

}  // namespace

std::optional<DeclarationEdit> FindCharsetEdit(std::string_view text,
                                               Encoding target) {
  const std::optional<MetaCharset> meta = FindMetaCharset(text, target);
  if (!meta) return std::nullopt;
  const std::string_view name = DeclaredName(target);
  if (!meta->in_content)
    return DeclarationEdit{meta->name, meta->name_length, std::string(name)};

  // The declaration is part of a content value: it and the rest of the tag
  // become the target, the value's closing quote and an http-equiv.
  DeclarationEdit edit{meta->key, meta->close - meta->key, "charset="};
  edit.replacement += name;
  if (meta->quote != 0) edit.replacement += meta->quote;
  edit.replacement += kHttpEquiv;
  if (text[meta->close - 1] == '/') edit.replacement += " /";
  return edit;
}

std::optional<DeclarationEdit> FindXmlEncodingEdit(std::string_view text,
                                                   Encoding target) {
  const std::optional<XmlEncoding> xml = FindXmlEncoding(text);
  if (!xml) return std::nullopt;
  return DeclarationEdit{xml->name, xml->name_length,
                         std::string(DeclaredName(target))};
}

void RewriteDeclarations(std::string& text, Encoding target) {
  if (auto edit = FindCharsetEdit(text, target)) Apply(*edit, text);
  if (auto edit = FindXmlEncodingEdit(text, target)) Apply(*edit, text);
}

std::string RewriteCharset(std::string_view text, Encoding target) {
  std::string out(text);
  RewriteDeclarations(out, target);
  return out;
}

}  // namespace tovenrak::core
