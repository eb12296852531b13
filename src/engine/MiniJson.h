#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

// A small JSON reader for JSON-LD blocks and a string escaper for the
// quick-sniff answer. Depth and size are bounded; bad input gives null.
class MiniJson
{
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    Type type = Type::Null;
    bool boolean = false;
    double number = 0.0;
    std::string string;
    std::vector<MiniJson> array;
    struct Member; // key and value; a std::pair would need MiniJson complete here
    std::vector<Member> object;

    static MiniJson parse(const std::string &text, bool *ok = nullptr);
    static std::string quote(const std::string &text);

    const MiniJson *get(const std::string &key) const;
    // The text of a string, or of the first string in an array, or of the "url"/"@id" of an object.
    std::string text() const;
};

struct MiniJson::Member
{
    std::string key;
    MiniJson value;
};
