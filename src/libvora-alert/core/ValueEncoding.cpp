#include "ValueEncoding.h"

#include "VUAOptions.h"
#include "encoding.h"

namespace {

const char* const kEncodedOptions[] = {kVUA_Name, kVUA_Message, kVUA_Title, kVUA_MultiMessage,
                                       kVUA_MultiSnoozeMessage};

std::string Base64(const std::string& bytes)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t at = 0;
    for (; at + 2 < bytes.size(); at += 3) {
        const unsigned group = static_cast<unsigned char>(bytes[at]) << 16 |
                               static_cast<unsigned char>(bytes[at + 1]) << 8 |
                               static_cast<unsigned char>(bytes[at + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) {
            out += kAlphabet[(group >> shift) & 63];
        }
    }
    const size_t rest = bytes.size() - at;
    if (rest > 0) {
        unsigned group = static_cast<unsigned char>(bytes[at]) << 16;
        if (rest == 2) {
            group |= static_cast<unsigned char>(bytes[at + 1]) << 8;
        }
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// The option's name as the dialog compares it: "/Message" -> "-message".
std::string OptionName(const std::string& option, size_t equals)
{
    std::string name = option.substr(0, equals);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    if (!name.empty() && name[0] == '/') {
        name[0] = '-';
    }
    return name;
}

} // namespace

std::string EncodeValue(const std::string& value)
{
    return std::string(kEncodedTag) + Base64(value) + kEncodedTag;
}

std::vector<std::string> EncodeOptionValues(const std::vector<std::string>& options)
{
    std::vector<std::string> encoded;
    for (const std::string& option : options) {
        const size_t equals = option.find('=');
        bool text = false;
        if (equals != std::string::npos && equals > 0) {
            const std::string name = OptionName(option, equals);
            for (const char* encodedName : kEncodedOptions) {
                text = text || name == encodedName;
            }
        }
        encoded.push_back(text ? option.substr(0, equals + 1) + EncodeValue(option.substr(equals + 1))
                               : option);
    }
    return encoded;
}
