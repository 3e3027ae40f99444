#include "preview/Code128.h"

#include <array>
#include <cstdio>
#include <optional>

namespace zev {

namespace {

// Bar and space widths of the symbol characters 0 to 105; the stop has seven.
constexpr std::array<const char*, 106> Patterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr const char* StopPattern = "2331112";

constexpr int Fnc3 = 96;
constexpr int Fnc2 = 97;
constexpr int Shift = 98;
constexpr int CodeC = 99;
constexpr int CodeB = 100; // FNC4 in set B
constexpr int CodeA = 101; // FNC4 in set A
constexpr int Fnc1 = 102;
constexpr int StartA = 103;

enum class TSet
{
    A,
    B,
    C,
};

// A piece of field data: a character, or an invocation code by its
// value in the table of invocation characters (30, 94 ... 105).
struct TToken
{
    bool invocation = false;
    int value = 0;

    bool IsDigit() const { return !invocation && value >= '0' && value <= '9'; }
    bool IsFnc1() const { return invocation && value == Fnc1; }
};

std::optional<int> InvocationValue(char code)
{
    switch (code) {
    case '<': return '>'; // a literal '>', as a character
    case '0': return 30;
    case '=': return 94;
    case ':': return 104;
    case ';': return 105;
    default: break;
    }
    if (code >= '1' && code <= '9')
        return 95 + (code - '1');
    return std::nullopt;
}

[[noreturn]] void ThrowOutOfSet(int byte, const char* set)
{
    char message[80];
    std::snprintf(message, sizeof message, "Code 128: caractere 0x%02X fora do conjunto %s", byte, set);
    throw ESymbolError(message);
}

std::vector<TToken> Tokens(std::string_view data)
{
    std::vector<TToken> tokens;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte != '>') {
            tokens.push_back({false, byte});
            continue;
        }
        if (i + 1 == data.size())
            break; // a '>' that invokes nothing prints nothing
        const char code = data[++i];
        const std::optional<int> value = InvocationValue(code);
        if (!value)
            throw ESymbolError(std::string("Code 128: código de invocação \">") + code + "\" desconhecido");
        tokens.push_back({code != '<', *value});
    }
    return tokens;
}

std::string DigitsOf(const std::vector<TToken>& tokens)
{
    std::string digits;
    for (const TToken& token : tokens)
        if (token.IsDigit())
            digits += static_cast<char>(token.value);
    return digits;
}

// The symbol characters with the interpretation line as they are chosen.
class TCodewords
{
public:
    void Start(TSet set)
    {
        m_values.push_back(StartA + static_cast<int>(set));
        m_set = set;
    }
    void Add(int value) { m_values.push_back(value); }
    void SwitchTo(TSet set)
    {
        if (set == m_set)
            return;
        m_values.push_back(set == TSet::A ? CodeA : set == TSet::B ? CodeB : CodeC);
        m_set = set;
    }
    TSet Set() const { return m_set; }

    // A character of set A or B; false when `set` has none for it.
    static std::optional<int> ValueIn(TSet set, int byte)
    {
        if (set == TSet::A && byte < 96)
            return byte >= 32 ? byte - 32 : byte + 64;
        if (set == TSet::B && byte >= 32 && byte < 128)
            return byte - 32;
        return std::nullopt;
    }
    void AddCharacter(TSet set, int byte)
    {
        const std::optional<int> value = ValueIn(set, byte);
        if (!value)
            ThrowOutOfSet(byte, set == TSet::A ? "A" : "B");
        m_values.push_back(*value);
        Print(byte);
    }
    void AddPair(int first, int second)
    {
        m_values.push_back((first - '0') * 10 + (second - '0'));
        Print(first);
        Print(second);
    }
    void Print(int byte)
    {
        if (byte >= 32 && byte < 127)
            m_text += static_cast<char>(byte);
    }

    TLinearSymbol Symbol(std::string text) const
    {
        TLinearSymbol symbol;
        symbol.symbology = TSymbology::Code128;
        int check = m_values.front();
        for (std::size_t i = 1; i < m_values.size(); ++i)
            check += static_cast<int>(i) * m_values[i];
        std::vector<int> values = m_values;
        values.push_back(check % 103);
        for (const int value : values)
            for (const char* width = Patterns[value]; *width; ++width)
                symbol.elements.push_back(*width - '0');
        for (const char* width = StopPattern; *width; ++width)
            symbol.elements.push_back(*width - '0');
        symbol.text = std::move(text);
        return symbol;
    }
    const std::string& Text() const { return m_text; }

private:
    std::vector<int> m_values;
    std::string m_text;
    TSet m_set = TSet::B;
};

// The normal mode: the sets as the invocation codes name them, set B when
// the data names none. In set C the digits go in pairs; a character other
// than a digit is dropped, and so is the pair it breaks or a digit left
// alone before a code.
TCodewords EncodeNormal(const std::vector<TToken>& tokens)
{
    TCodewords words;
    std::size_t i = 0;
    if (!tokens.empty() && tokens[0].invocation && tokens[0].value >= StartA) {
        words.Start(static_cast<TSet>(tokens[0].value - StartA));
        i = 1;
    } else {
        words.Start(TSet::B);
    }
    bool shifted = false;
    for (; i < tokens.size(); ++i) {
        const TToken& token = tokens[i];
        const TSet set = words.Set();
        if (token.invocation && token.value >= StartA) {
            words.SwitchTo(static_cast<TSet>(token.value - StartA));
        } else if (token.invocation && token.value >= Fnc3) {
            if (set == TSet::C && token.value < CodeB)
                continue; // set C has no FNC2, FNC3, shift or code C
            if (token.value == CodeC)
                words.SwitchTo(TSet::C);
            else if (token.value == CodeB && set != TSet::B)
                words.SwitchTo(TSet::B);
            else if (token.value == CodeA && set != TSet::A)
                words.SwitchTo(TSet::A);
            else
                words.Add(token.value);
            shifted = token.value == Shift;
        } else if (set == TSet::C) {
            if (!token.IsDigit())
                continue;
            if (i + 1 < tokens.size() && tokens[i + 1].IsDigit())
                words.AddPair(token.value, tokens[i + 1].value);
            if (i + 1 < tokens.size() && !tokens[i + 1].invocation)
                ++i;
        } else if (token.invocation) {
            words.Add(token.value); // 30, 94, 95: characters of sets A and B
            words.Print(token.value == 30 ? '>' : set == TSet::B ? token.value + 32 : 0);
        } else {
            const TSet other = set == TSet::A ? TSet::B : TSet::A;
            words.AddCharacter(shifted ? other : set, token.value);
            shifted = false;
        }
    }
    return words;
}

std::size_t DigitRun(const std::vector<TToken>& tokens, std::size_t from)
{
    std::size_t end = from;
    while (end < tokens.size() && tokens[end].IsDigit())
        ++end;
    return end - from;
}

bool IsControl(const TToken& token) { return !token.invocation && token.value < 32; }
bool IsLower(const TToken& token) { return !token.invocation && token.value >= 96; }

// The next of a control character and a lower-case letter from `from`
// calls for set A or B; with neither, `fallback`.
TSet NextTextSet(const std::vector<TToken>& tokens, std::size_t from, TSet fallback)
{
    for (std::size_t i = from; i < tokens.size(); ++i) {
        if (IsControl(tokens[i]))
            return TSet::A;
        if (IsLower(tokens[i]))
            return TSet::B;
    }
    return fallback;
}

// In the automatic mode the invocation codes that choose sets mean nothing;
// those that stand for characters are those characters.
std::vector<TToken> ForAutomatic(const std::vector<TToken>& tokens)
{
    std::vector<TToken> kept;
    for (const TToken& token : tokens) {
        if (!token.invocation || token.value == Fnc1 || token.value == Fnc2 || token.value == Fnc3)
            kept.push_back(token);
        else if (token.value < Fnc3)
            kept.push_back({false, token.value == 30 ? '>' : token.value + 32});
    }
    return kept;
}

// The automatic mode: set C for a run of four digits or more (an odd run
// leaves its first digit in set A or B, or at the start its last one),
// set A for control characters before lower-case ones, otherwise set B; a
// character of the other set followed by one of this set goes with a shift.
TCodewords EncodeAutomatic(const std::vector<TToken>& tokens)
{
    TCodewords words;
    std::size_t firstData = 0;
    while (firstData < tokens.size() && tokens[firstData].IsFnc1())
        ++firstData;
    const std::size_t leading = DigitRun(tokens, firstData);
    const bool twoDigits = leading == 2 && firstData + 2 == tokens.size();
    words.Start(leading >= 4 || twoDigits ? TSet::C : NextTextSet(tokens, firstData, TSet::B));
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const TToken& token = tokens[i];
        if (token.IsFnc1()) {
            words.Add(Fnc1);
            continue;
        }
        if (words.Set() == TSet::C) {
            if (token.IsDigit() && i + 1 < tokens.size() && tokens[i + 1].IsDigit()) {
                words.AddPair(token.value, tokens[i + 1].value);
                ++i;
                continue;
            }
            words.SwitchTo(NextTextSet(tokens, i, TSet::B));
        }
        if (token.invocation) { // FNC2, FNC3
            words.Add(token.value);
            continue;
        }
        const std::size_t run = DigitRun(tokens, i);
        if (run >= 4 && run % 2 == 0) {
            words.SwitchTo(TSet::C);
            words.AddPair(token.value, tokens[i + 1].value);
            ++i;
            continue;
        }
        if (token.value >= 128)
            ThrowOutOfSet(token.value, "do Code 128");
        const TSet set = words.Set();
        if (!TCodewords::ValueIn(set, token.value)) {
            const TSet other = set == TSet::A ? TSet::B : TSet::A;
            if (NextTextSet(tokens, i + 1, other) == set) {
                words.Add(Shift);
                words.AddCharacter(other, token.value);
                continue;
            }
            words.SwitchTo(other);
        }
        words.AddCharacter(words.Set(), token.value);
        if (run >= 4)
            words.SwitchTo(TSet::C);
    }
    return words;
}

// UCC case mode: 19 digits (more dropped, fewer padded on the right with
// zeros), its mod 10 check digit, all in set C after FNC1; printed as
// "(00) 1 2345123 451234512 0".
TLinearSymbol EncodeUccCase(const std::vector<TToken>& tokens)
{
    std::string digits = DigitsOf(tokens);
    digits.resize(19, '0');
    digits += static_cast<char>('0' + Mod10(digits));
    TCodewords words;
    words.Start(TSet::C);
    words.Add(Fnc1);
    for (std::size_t i = 0; i < digits.size(); i += 2)
        words.AddPair(digits[i], digits[i + 1]);
    const std::string text = "(" + digits.substr(0, 2) + ") " + digits.substr(2, 1) + " " + digits.substr(3, 7)
                             + " " + digits.substr(10, 9) + " " + digits.substr(19);
    return words.Symbol(text);
}

struct TAiField
{
    std::string ai;
    std::string value;   // as encoded
    std::string printed; // as written, spaces kept
};

// The length, check digit included, of the identifiers whose last digit is
// a mod 10 check digit the printer supplies when it is missing.
std::size_t CheckedLength(const std::string& ai)
{
    if (ai == "00")
        return 18;
    if (ai == "01" || ai == "02")
        return 14;
    if (ai.size() == 3 && ai.compare(0, 2, "41") == 0 && ai[2] <= '5')
        return 13;
    return 0;
}

// Identifiers of a predefined length need no FNC1 after their data.
bool HasPredefinedLength(const std::string& ai)
{
    static constexpr std::array<const char*, 22> Prefixes = {"00", "01", "02", "03", "04", "11", "12", "13",
                                                             "14", "15", "16", "17", "18", "19", "20", "31",
                                                             "32", "33", "34", "35", "36", "41"};
    for (const char* prefix : Prefixes)
        if (ai.compare(0, 2, prefix) == 0)
            return true;
    return false;
}

std::vector<TAiField> AiFields(std::string_view data)
{
    std::vector<TAiField> fields;
    std::size_t i = 0;
    while (i < data.size()) {
        TAiField field;
        if (data[i] == '(') {
            const std::size_t close = data.find(')', i);
            if (close == std::string_view::npos)
                throw ESymbolError("Code 128: identificador de aplicação sem \")\"");
            for (const char c : data.substr(i + 1, close - i - 1))
                if (c != ' ')
                    field.ai += c;
            i = close + 1;
        }
        const std::size_t next = data.find('(', i);
        const std::string_view rest = data.substr(i, next == std::string_view::npos ? next : next - i);
        field.printed = std::string(rest);
        for (const char c : rest)
            if (c != ' ')
                field.value += c;
        i += rest.size();
        if (field.ai.empty() && field.value.size() >= 2) {
            field.ai = field.value.substr(0, 2); // written without parentheses
            field.value.erase(0, 2);
            field.printed = field.value;
        }
        fields.push_back(std::move(field));
    }
    return fields;
}

bool AllDigits(std::string_view text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

// UCC/EAN mode: FNC1, then the identifiers and their data without the
// parentheses and spaces, FNC1 after data of a variable length; check
// digits added where they are missing; the sets chosen automatically.
TLinearSymbol EncodeUccEan(std::string_view data)
{
    std::vector<TToken> tokens{{true, Fnc1}};
    std::string text;
    const std::vector<TAiField> fields = AiFields(data);
    for (std::size_t f = 0; f < fields.size(); ++f) {
        TAiField field = fields[f];
        const std::size_t checked = CheckedLength(field.ai);
        if (checked != 0 && field.value.size() + 1 == checked && AllDigits(field.value)) {
            const char check = static_cast<char>('0' + Mod10(field.value));
            field.value += check;
            field.printed += check;
        }
        if (f > 0 && !HasPredefinedLength(fields[f - 1].ai))
            tokens.push_back({true, Fnc1});
        for (const char c : field.ai + field.value)
            tokens.push_back({false, static_cast<unsigned char>(c)});
        text += "(" + field.ai + ")" + field.printed;
    }
    return EncodeAutomatic(tokens).Symbol(text);
}

} // namespace

TLinearSymbol EncodeCode128(std::string_view data, TCode128Mode mode, bool uccCheckDigit)
{
    if (mode == TCode128Mode::Ean)
        return EncodeUccEan(data);
    std::vector<TToken> tokens = Tokens(data);
    if (mode == TCode128Mode::Ucc)
        return EncodeUccCase(tokens);
    if (uccCheckDigit) {
        const std::string digits = DigitsOf(tokens);
        tokens.push_back({false, '0' + Mod10(digits)});
    }
    const TCodewords words =
        mode == TCode128Mode::Automatic ? EncodeAutomatic(ForAutomatic(tokens)) : EncodeNormal(tokens);
    return words.Symbol(words.Text());
}

} // namespace zev
