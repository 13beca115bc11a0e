// The update service's one command-line argument: five fields separated by
// "|", for the installer's URL, its expected digest (MD5 or SHA-256, told
// apart by DigestKindOf), an unused field, the message for the user and the
// forced-update marker.
#pragma once

#include <string>
#include <string_view>

struct UpdateParams {
  std::u16string strUrl;
  std::u16string strMd5;
  std::u16string strTipText;
  bool bForce = false;  // the fifth field is exactly "1"
};

// Splits like a tokenizer: each run of "|" is one separator and leading
// separators are ignored, so no field is empty; text after the fifth field is
// ignored. False, params unchanged, when fewer than five fields are present.
bool ParseUpdateParams(std::u16string_view text, UpdateParams& params);
