// Tables of INI files and what the profile functions make of them, shared by the pure tests and
// by their comparison with the platform's own profile functions.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ini_cases {

struct ReadCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> value;  // nullopt: the profile functions give their default
};

inline const std::vector<ReadCase>& ReadCases() {
    static const std::vector<ReadCase> cases = {
        {"plain", "[SYSTEM]\r\nTITLE=abc\r\n", "SYSTEM", "TITLE", "abc"},
        {"names without regard to case", "[system]\r\ntitle=abc\r\n", "SYSTEM", "Title", "abc"},
        {"blanks around names and value", "  [SYSTEM]  \r\n \t TITLE  =   abc def \t \r\n",
         "SYSTEM", "TITLE", "abc def"},
        {"blanks around the asked names", "[S]\r\nK=v\r\n", " S ", "\tK ", "v"},
        {"first of two equal keys", "[S]\r\nK=1\r\nk=2\r\n", "S", "K", "1"},
        {"only the first section of a name", "[S]\r\nA=1\r\n[s]\r\nK=2\r\n", "S", "K",
         std::nullopt},
        {"a comment is no value of the key after it", "[S]\r\n;K=1\r\nK=2\r\n", "S", "K", "2"},
        {"missing section", "[S]\r\nK=1\r\n", "T", "K", std::nullopt},
        {"missing key", "[S]\r\nK=1\r\n", "S", "L", std::nullopt},
        {"a key without '='", "[S]\r\nK\r\n", "S", "K", std::nullopt},
        {"an empty value is no default", "[S]\r\nK=\r\n", "S", "K", ""},
        {"enclosing double quotes", "[S]\r\nK=\"a b\"\r\n", "S", "K", "a b"},
        {"enclosing single quotes", "[S]\r\nK='x'\r\n", "S", "K", "x"},
        {"quotes that differ stay", "[S]\r\nK=\"x'\r\n", "S", "K", "\"x'"},
        {"a lone quote stays", "[S]\r\nK=\"\r\n", "S", "K", "\""},
        {"LF line ends", "[S]\nA=1\nK=lf\n", "S", "K", "lf"},
        {"CR line ends", "[S]\rA=1\rK=cr\r", "S", "K", "cr"},
        {"no line end at the end", "[S]\r\nK=last", "S", "K", "last"},
        {"'=' inside the value", "[S]\r\nK=a=b\r\n", "S", "K", "a=b"},
        {"text after the header", "[S] note\r\nK=v\r\n", "S", "K", "v"},
        {"a header without ']' is a key line", "[S\r\nK=v\r\n", "S", "K", std::nullopt},
        {"^Z at the end", "[S]\r\nK=v\x1a", "S", "K", "v"},
        {"Japanese names and value", "[設定]\r\nﾃﾞｼﾞﾀｲｻﾞ=表示\r\n", "設定", "ﾃﾞｼﾞﾀｲｻﾞ", "表示"},
        {"a trail byte 0x5D is no ']'", "[A‐B]\r\nK=v\r\n", "A‐B", "K", "v"},
        {"a trail byte 0x5C stays", "[S]\r\nK=ソフト\\表\r\n", "S", "K", "ソフト\\表"},
        {"full-width letters keep their case", "[ＳＹＳ]\r\nｔｉｔｌｅ=w\r\n", "ＳＹＳ",
         "ＴＩＴＬＥ", std::nullopt},
        {"Greek and Cyrillic keep their case", "[ΑΩ]\r\nОЯ=g\r\n", "αω", "ОЯ", std::nullopt},
        {"a trail byte is never upper-cased", "[S]\r\nア=wrong\r\nャ=right\r\n", "S", "ャ",
         "right"},
        {"ideographic spaces are text", "[S]\r\nK=　v　\r\n", "S", "K", "　v　"},
    };
    return cases;
}

struct WriteCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
    std::vector<std::pair<std::string, std::string>> others;  // keys that must read the same
};

inline const std::vector<WriteCase>& WriteCases() {
    static const std::vector<WriteCase> cases = {
        {"a value replaced where it stands", "[S]\r\nA=1\r\nK=old\r\nB=2\r\n", "S", "K", "new",
         "[S]\r\nA=1\r\nK=new\r\nB=2\r\n", {{"S", "A"}, {"S", "B"}}},
        {"blanks around the old value kept", "[S]\r\nK = old  \r\n", "S", "K", "new",
         "[S]\r\nK = new  \r\n", {}},
        {"a new key after its section's last line", "[S]\r\nA=1\r\n\r\n[T]\r\nX=1\r\n", "S",
         "K", "v", "[S]\r\nA=1\r\nK=v\r\n\r\n[T]\r\nX=1\r\n", {{"S", "A"}, {"T", "X"}}},
        {"a new key in a section without keys", "[S]\r\n[T]\r\nX=1\r\n", "S", "K", "v",
         "[S]\r\nK=v\r\n[T]\r\nX=1\r\n", {{"T", "X"}}},
        {"a new key at the end without a line end", "[S]\r\nA=1", "S", "K", "v",
         "[S]\r\nA=1\r\nK=v\r\n", {{"S", "A"}}},
        {"a new section at the end", "[S]\r\nA=1\r\n", "N", "K", "v",
         "[S]\r\nA=1\r\n[N]\r\nK=v\r\n", {{"S", "A"}}},
        {"a new section after a last line without its end", "[S]\r\nA=1", "N", "K", "v",
         "[S]\r\nA=1\r\n[N]\r\nK=v\r\n", {{"S", "A"}}},
        {"an empty file", "", "N", "K", "v", "[N]\r\nK=v\r\n", {}},
        {"LF line ends kept", "[S]\nK=1\nB=2\n", "S", "K", "v", "[S]\nK=v\nB=2\n", {{"S", "B"}}},
        {"the key as the file writes it", "[system]\r\ntitle=x\r\n", "SYSTEM", "TITLE", "v",
         "[system]\r\ntitle=v\r\n", {}},
        {"a key without '=' gets its value", "[S]\r\nK\r\nB=2\r\n", "S", "K", "v",
         "[S]\r\nK=v\r\nB=2\r\n", {{"S", "B"}}},
        {"comments and Japanese kept", "; 設定\r\n[SYSTEM]\r\nTITLE=製品 Type-C\r\n; 終\r\n",
         "SYSTEM", "TITLE", "製品 Type-C 拡張",
         "; 設定\r\n[SYSTEM]\r\nTITLE=製品 Type-C 拡張\r\n; 終\r\n", {}},
    };
    return cases;
}

}  // namespace ini_cases
