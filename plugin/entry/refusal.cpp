#include "entry/refusal.h"

#include <stdio.h>

#include <utility>

namespace refusal {

namespace {

std::string g_reason;

std::string Join(std::string_view member, std::string_view rest) {
  std::string text(member);
  text += rest;
  return text;
}

std::string Arguments(size_t count) {
  if (count == 0) return "no arguments";
  return std::to_string(count) + (count == 1 ? " argument" : " arguments");
}

const char* ExpectText(Expect expected) {
  switch (expected) {
    case Expect::Number:
      return "a number";
    case Expect::Flag:
      return "true or false";
    case Expect::String:
      return "a string";
  }
  return "another value";
}

}  // namespace

bool Refuse(std::string reason) {
  g_reason = std::move(reason);
  return false;
}

std::string Take() {
  std::string reason;
  reason.swap(g_reason);
  return reason;
}

std::string ArgumentCount(std::string_view member, size_t expected, size_t got) {
  return Join(member, " expects " + Arguments(expected) + ", got " + std::to_string(got));
}

std::string ArgumentType(std::string_view member, size_t position, Expect expected) {
  return Join(member,
              ": argument " + std::to_string(position) + " must be " + ExpectText(expected));
}

std::string ArgumentText(std::string_view member, size_t position, std::string_view text) {
  return Join(member,
              ": argument " + std::to_string(position) + " must be \"" + std::string(text) + "\"");
}

std::string NoControl(std::string_view member) {
  return Join(member, ": the control does not exist yet; call CreateAX first");
}

std::string ControlFailure(std::string_view member, int32_t hr) {
  char code[16];
  snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(hr));
  return Join(member, std::string(": the control reported failure ") + code);
}

std::string NoSettings(std::string_view member) {
  return Join(member, ": the control takes no settings");
}

std::string NotAvailable(std::string_view member) {
  return Join(member, " is not available in this control");
}

std::string NoMemory(std::string_view member) {
  return Join(member, ": the browser gave no memory for the result");
}

std::string WriteOnly(std::string_view setting) {
  return Join(setting, " is a write-only setting");
}

std::string OriginRefused(std::string_view member, std::string_view origin) {
  return Join(member, ": pages from " + std::string(origin) + " may not use the control");
}

std::string OriginUnknown(std::string_view member) {
  return Join(member,
              ": the browser did not tell the page's origin, so the page may not use the control");
}

}  // namespace refusal
