#pragma once
// A strict JSON reader for tests that check what the program writes (the result file): raw control
// characters, invalid UTF-8, trailing commas and trailing text are errors.
#include <string>
#include <utility>
#include <vector>

namespace testenv {

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string text; // strings as UTF-8
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    // The member or element, or a null value when there is none.
    const JsonValue& operator[](const std::string& key) const;
    const JsonValue& operator[](size_t index) const;
    bool IsNull() const { return type == Type::Null; }
    long long Int() const { return static_cast<long long>(number); }
};

bool ParseJson(const std::string& document, JsonValue& value, std::string& error);

} // namespace testenv
