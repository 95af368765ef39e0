// The update id and product key: the same set gives the same key on every PC, another set
// another key, and no product name breaks the registry path.
#include <gtest/gtest.h>

#include <string>

#include "receipt/identity.h"

namespace {

std::string Hex(const std::array<unsigned char, 32>& d) {
    static const char kHex[] = "0123456789abcdef";
    std::string s;
    for (unsigned char b : d) {
        s += kHex[b >> 4];
        s += kHex[b & 15];
    }
    return s;
}

std::string Pattern(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += static_cast<char>((i * 7) & 255);
    }
    return s;
}

// Lengths around the one- and two-block padding edges.
TEST(Sha256, KnownDigests) {
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {Pattern(55), "576a1bf8d4478657e6dc4af9398544765c2a92cde28478b019235cfed315fc09"},
        {Pattern(56), "9b20501dfd1d99161c257950f3444f3e49230c351c5c8e0943ef369f85f5205d"},
        {Pattern(63), "30b345906b493f06f69444b6521113511c242f30e29840462950035043682f1e"},
        {Pattern(64), "d8bc63b4fc1156e5e7d95a418b9bf54cd3174bedbc2db40f74895349b229b3c0"},
        {Pattern(65), "1ee23b0fbcaecc1aff4a9e8f1645f35ab2c8e13609cd73b68df8b5e3f63ce073"},
        {Pattern(119), "7a6589821178918ca8d9edaba5abfc1e9b2669564f4469b66885379c1530b2c8"},
        {Pattern(120), "655250427d56b1b0eeb8497d21428704273458a01772d6881b65c0abac0f8a98"},
        {Pattern(1000), "89f4ff56a25dd1db06a4ce6033603775d705fb96f30f8693733fef602a1ca532"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(receipt::Sha256(c.input)), c.digest) << "length " << c.input.size();
    }
}

TEST(UpdateId, StableForOneSetDifferentForAnother) {
    const std::string manifest = "TOVAKA Demo\r\n\r\nC:\\TOVAKA\r\n3\r\n1,1,START,SYSTEM\\\r\n";
    std::string other = manifest;
    other[other.size() - 5] = 'Y';  // one byte of the file list
    EXPECT_EQ(receipt::UpdateIdOf(manifest), receipt::UpdateIdOf(std::string(manifest)));
    EXPECT_NE(receipt::UpdateIdOf(manifest), receipt::UpdateIdOf(other));
    EXPECT_EQ(receipt::UpdateIdOf("abc"), "BA7816BF8F01CFEA414140DE5DAE2223");
}

TEST(ProductKey, FromTheFirstUninstallKey) {
    struct Case {
        const char* first;
        std::string key;
    } cases[] = {
        {"TOVAKA Demo", "TOVAKA Demo"},
        {"A\\B", "A_B"},                      // a '\' would nest keys
        {"\x83\x5c\x83\x74\x83\x67", "\x83\x5c\x83\x74\x83\x67"},  // ソフト: 0x5C as a trail byte stays
        {"TOVAKA  ", "TOVAKA"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::array<std::string, 15> keys{c.first, "Second"};
        EXPECT_EQ(receipt::ProductKeyOf(keys), c.key) << c.first;
    }
    std::array<std::string, 15> longKey{std::string(300, 'K')};
    EXPECT_EQ(receipt::ProductKeyOf(longKey).size(), 255u);
}

TEST(DetectionRule, NamesTheKeyAndTheValue) {
    std::string rule = receipt::DetectionRule("TOVAKA Demo", "0123456789ABCDEF0123456789ABCDEF");
    EXPECT_NE(rule.find("HKEY_LOCAL_MACHINE\\SOFTWARE\\Renovo\\Updates\\TOVAKA Demo\\"
                        "0123456789ABCDEF0123456789ABCDEF\n"),
              std::string::npos)
        << rule;
    EXPECT_NE(rule.find("Value: Result (REG_DWORD) exists"), std::string::npos) << rule;
    EXPECT_NE(rule.find("WOW6432Node\\Renovo\\Updates\\TOVAKA Demo\\"), std::string::npos) << rule;
}

}  // namespace
