#include "platform/settings/SettingsFileFormat.h"

#include <string_view>
#include <utility>

namespace {

const char s_header[] = "quillet-settings 1";

std::string HexByte(unsigned byte)
{
    static const char digits[] = "0123456789ABCDEF";
    return std::string{digits[(byte >> 4) & 15], digits[byte & 15]};
}

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char ch : text) {
        if (ch == '\\' || ch == '"')
            out += '\\', out += (char)ch;
        else if (ch < 0x20 || ch == 0x7F)
            out += "\\x" + HexByte(ch);
        else
            out += (char)ch;
    }
    return out + "\"";
}

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits one line into bare words and quoted strings; false on a malformed string.
bool Tokenize(std::string_view line, std::vector<Token>& tokens)
{
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string token;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ') {
                if (line[i] == '"' || (unsigned char)line[i] < 0x20)
                    return false;
                token += line[i++];
            }
            tokens.push_back(Token{token, false});
            continue;
        }
        ++i;
        bool closed = false;
        while (i < line.size()) {
            char ch = line[i++];
            if (ch == '"') {
                closed = true;
                break;
            }
            if (ch != '\\') {
                token += ch;
                continue;
            }
            if (i >= line.size())
                return false;
            char escaped = line[i++];
            if (escaped == '\\' || escaped == '"') {
                token += escaped;
            } else if (escaped == 'x' && i + 1 < line.size() && HexDigit(line[i]) >= 0 && HexDigit(line[i + 1]) >= 0) {
                token += (char)(HexDigit(line[i]) * 16 + HexDigit(line[i + 1]));
                i += 2;
            } else {
                return false;
            }
        }
        if (!closed || (i < line.size() && line[i] != ' '))
            return false;
        tokens.push_back(Token{token, true});
    }
    return true;
}

bool ParseHex(const std::string& text, std::vector<BYTE>& out)
{
    if (text == "-")
        return true;
    if (text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out.push_back((BYTE)(high * 16 + low));
    }
    return true;
}

bool ParseTypeNumber(const std::string& number, DWORD& type)
{
    if (number.empty() || number.size() > 10 || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    unsigned long long value = std::stoull(number);
    if (value > 0xFFFFFFFFull)
        return false;
    type = (DWORD)value;
    return true;
}

bool IsBareWord(const Token& token, const char* word)
{
    return !token.quoted && token.text == word;
}

// The key a "key" line names, created in `tree`; NULL when the line is malformed.
SettingsKey* ParseKey(const std::vector<Token>& tokens, CSettingsTree& tree)
{
    if (tokens.size() < 2 || !tokens[1].quoted)
        return NULL;
    SettingsKeyPath path;
    const std::string& rootName = tokens[1].text;
    if (rootName == CSettingsTree::RootName(SettingsRoot::LocalMachine))
        path.root = SettingsRoot::LocalMachine;
    else if (rootName != CSettingsTree::RootName(SettingsRoot::CurrentUser))
        return NULL;
    for (size_t i = 2; i < tokens.size(); ++i) {
        if (!tokens[i].quoted || !ValidKeyName(tokens[i].text))
            return NULL;
        path.names.push_back(tokens[i].text);
    }
    return tree.Create(path, NULL);
}

// Adds the value of a "value" line to `key`; the reason when the line cannot be used.
const char* ParseValue(const std::vector<Token>& tokens, SettingsKey& key)
{
    if (tokens.size() < 4 || !tokens[1].quoted || tokens[2].quoted)
        return "malformed value";
    SettingsValue value;
    value.name = tokens[1].text;
    if (key.FindValue(value.name))
        return "a value named twice";
    const std::string& kind = tokens[2].text;
    if (kind == "dword" && tokens.size() == 4 && !tokens[3].quoted && tokens[3].text.size() == 8) {
        value.type = CSettingsFileFormat::kDwordType;
        if (!ParseHex(tokens[3].text, value.data))
            return "malformed value";
        std::swap(value.data[0], value.data[3]);
        std::swap(value.data[1], value.data[2]);
    } else if (kind == "sz" && tokens.size() == 4 && tokens[3].quoted) {
        // Zero bytes inside a string are kept as they are: the store holds what it was given.
        value.type = CSettingsFileFormat::kStringType;
        value.data.assign(tokens[3].text.begin(), tokens[3].text.end());
    } else if (kind == "data" && tokens.size() == 5 && !tokens[3].quoted && !tokens[4].quoted) {
        if (!ParseTypeNumber(tokens[3].text, value.type) || !ParseHex(tokens[4].text, value.data))
            return "malformed value";
    } else {
        return "malformed value";
    }
    key.values.push_back(std::move(value));
    return NULL;
}

void NoteDamage(SettingsDamage& damage, int line, const char* reason)
{
    ++damage.linesLeftOut;
    if (damage.Found())
        return;
    damage.line = line;
    damage.reason = reason;
}

std::string ValueText(const SettingsValue& value)
{
    const std::vector<BYTE>& data = value.data;
    if (value.type == CSettingsFileFormat::kDwordType && data.size() == 4)
        return "dword " + HexByte(data[3]) + HexByte(data[2]) + HexByte(data[1]) + HexByte(data[0]);
    if (value.type == CSettingsFileFormat::kStringType)
        return "sz " + Quoted(std::string_view((const char*)data.data(), data.size()));
    std::string hex;
    for (BYTE byte : data)
        hex += HexByte(byte);
    return "data " + std::to_string(value.type) + " " + (hex.empty() ? "-" : hex);
}

void SerializeKey(const SettingsKey& key, std::vector<std::string>& names, std::string& text)
{
    text += "key";
    for (const std::string& name : names)
        text += " " + Quoted(name);
    text += "\n";
    for (const SettingsValue& value : key.values)
        text += "value " + Quoted(value.name) + " " + ValueText(value) + "\n";
    for (const auto& subkey : key.subkeys) {
        names.push_back(subkey->name);
        SerializeKey(*subkey, names, text);
        names.pop_back();
    }
}

}  // namespace

BOOL CSettingsFileFormat::Parse(const std::string& text, CSettingsTree& tree, SettingsDamage& damage)
{
    damage = SettingsDamage();
    // Values below a key line that cannot be read belong to no key we know; NULL drops them.
    SettingsKey* current = NULL;
    bool ended = false;
    int lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        bool terminated = end != std::string::npos;
        std::string_view line(text.data() + start, (terminated ? end : text.size()) - start);
        start = terminated ? end + 1 : text.size();
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != s_header) {
                NoteDamage(damage, 1, "not a settings file of this program");
                return FALSE;
            }
            continue;
        }
        if (line.empty())
            continue;
        // What follows the end line is no part of the file as it was written.
        if (ended) {
            NoteDamage(damage, lineNumber, "text after the end");
            continue;
        }
        if (!terminated && line != "end") {
            NoteDamage(damage, lineNumber, "the last line is incomplete");
            break;
        }
        std::vector<Token> tokens;
        if (!Tokenize(line, tokens) || tokens.empty()) {
            NoteDamage(damage, lineNumber, "malformed text");
        } else if (IsBareWord(tokens[0], "end") && tokens.size() == 1) {
            ended = true;
        } else if (IsBareWord(tokens[0], "key")) {
            current = ParseKey(tokens, tree);
            if (!current)
                NoteDamage(damage, lineNumber, "malformed key");
        } else if (IsBareWord(tokens[0], "value")) {
            const char* reason = current ? ParseValue(tokens, *current) : "value outside a key";
            if (reason)
                NoteDamage(damage, lineNumber, reason);
        } else {
            NoteDamage(damage, lineNumber, "unknown entry");
        }
    }
    if (!ended) {
        // The lost end line itself is no line left out, only the sign of a cut.
        int leftOut = damage.linesLeftOut;
        NoteDamage(damage, lineNumber == 0 ? 1 : lineNumber,
                   lineNumber == 0 ? "the file is empty" : "the file is truncated");
        damage.linesLeftOut = leftOut;
    }
    return !damage.Found();
}

std::string CSettingsFileFormat::Serialize(const CSettingsTree& tree)
{
    std::string text = std::string(s_header) + "\n";
    for (const SettingsKey& root : tree.m_roots) {
        std::vector<std::string> names{root.name};
        SerializeKey(root, names, text);
    }
    return text + "end\n";
}
