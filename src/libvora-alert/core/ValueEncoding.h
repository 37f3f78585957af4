#pragma once

#include <string>
#include <vector>

// The agent's side of the "!ENC!" values (encoding.h decodes them): the
// UTF-8 bytes in standard Base64 between two tags.
//   "Hello" -> "!ENC!SGVsbG8=!ENC!"
std::string EncodeValue(const std::string& value);

// The launch options with the values of the text options (-name,
// -message, -title, -multimessage, -multisnoozemessage, matched as the
// dialog matches names) encoded; every other option as it is:
//   "-Message=Hello" -> "-Message=!ENC!SGVsbG8=!ENC!", "-yesno" -> "-yesno"
std::vector<std::string> EncodeOptionValues(const std::vector<std::string>& options);
