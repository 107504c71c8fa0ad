#pragma once
// A small test runner with GoogleTest's spelling, for the checks that run
// under Wine: GoogleTest itself needs std::mutex, which MinGW's win32 thread
// model lacks. TEST, TEST_F, EXPECT_* and ASSERT_* work as there, including
// "<< message" after a check; GTEST_SKIP() << reason skips the rest.
#include <cstddef>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace kvcheck {

struct Result {
    bool ok;
    std::string message;
};

class Message {
public:
    template <class T>
    Message& operator<<(const T& value) {
        text_ << value;
        return *this;
    }
    std::string str() const { return text_.str(); }

private:
    std::ostringstream text_;
};

enum class Outcome { Continue, Stop, Skip };

// Reports a failed check (or a skip) when the message after it is complete.
class Reporter {
public:
    Reporter(const char* file, int line, std::string what, Outcome outcome)
        : file_(file), line_(line), what_(std::move(what)), outcome_(outcome) {}
    void operator=(const Message& message);  // throws to stop the test for Stop and Skip

private:
    const char* file_;
    int line_;
    std::string what_;
    Outcome outcome_;
};

struct StopTest {};
struct SkipTest {};

using TestBody = void (*)();
struct Registrar {
    Registrar(const char* suite, const char* name, TestBody body);
};

std::string show(const std::string& text);
std::string show(const std::wstring& text);
inline std::string show(const char* text) { return show(std::string(text)); }
inline std::string show(const wchar_t* text) { return show(std::wstring(text)); }
inline std::string show(std::nullptr_t) { return "nullptr"; }
inline std::string show(std::nullopt_t) { return "nothing"; }
template <class T>
std::string show(const T& value) {
    if constexpr (std::is_enum_v<T>)
        return std::to_string(static_cast<long long>(value));
    else if constexpr (std::is_same_v<T, bool>)
        return value ? "true" : "false";
    else if constexpr (std::is_arithmetic_v<T>)
        return std::to_string(value);
    else
        return "(a value)";
}
template <class T>
std::string show(const T* pointer) {
    return pointer ? "a pointer" : "nullptr";
}
template <class T>
std::string show(const std::vector<T>& values);
template <class T>
std::string show(const std::optional<T>& value) {
    return value ? show(*value) : "nothing";
}
template <class T>
std::string show(const std::vector<T>& values) {
    std::string text(1, '{');
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) text += ", ";
        text += show(values[i]);
    }
    text.push_back('}');
    return text;
}

template <class A, class B, class Compare>
Result compare(const char* expression, const A& a, const B& b, Compare holds) {
    if (holds(a, b)) return {true, {}};
    return {false, std::string(expression) + "\n    left:  " + show(a) + "\n    right: " + show(b)};
}

inline Result truth(const char* expression, bool value, bool wanted) {
    return {value == wanted, std::string(expression) + (wanted ? " is false" : " is true")};
}

int runAll(const char* only);

}  // namespace kvcheck

#define KV_CHECK_(result, outcome)                               \
    if (const ::kvcheck::Result kv_result_ = (result); kv_result_.ok) \
        ;                                                        \
    else                                                         \
        ::kvcheck::Reporter(__FILE__, __LINE__, kv_result_.message, outcome) = ::kvcheck::Message()

#define KV_COMPARE_(a, op, b, outcome)                                                         \
    KV_CHECK_(::kvcheck::compare(#a " " #op " " #b, (a), (b),                                  \
                                 [](const auto& x, const auto& y) { return bool(x op y); }), \
              outcome)

#define EXPECT_EQ(a, b) KV_COMPARE_(a, ==, b, ::kvcheck::Outcome::Continue)
#define EXPECT_NE(a, b) KV_COMPARE_(a, !=, b, ::kvcheck::Outcome::Continue)
#define EXPECT_GE(a, b) KV_COMPARE_(a, >=, b, ::kvcheck::Outcome::Continue)
#define ASSERT_EQ(a, b) KV_COMPARE_(a, ==, b, ::kvcheck::Outcome::Stop)
#define EXPECT_TRUE(c) KV_CHECK_(::kvcheck::truth(#c, bool(c), true), ::kvcheck::Outcome::Continue)
#define EXPECT_FALSE(c) KV_CHECK_(::kvcheck::truth(#c, bool(c), false), ::kvcheck::Outcome::Continue)
#define ASSERT_TRUE(c) KV_CHECK_(::kvcheck::truth(#c, bool(c), true), ::kvcheck::Outcome::Stop)
#define EXPECT_NEAR(a, b, tolerance)                                                                   \
    KV_CHECK_(::kvcheck::compare("|" #a " - " #b "| <= " #tolerance, (a), (b),                         \
                                 [](const auto& x, const auto& y) { return x - y <= (tolerance) && y - x <= (tolerance); }), \
              ::kvcheck::Outcome::Continue)
#define GTEST_SKIP() ::kvcheck::Reporter(__FILE__, __LINE__, "skipped", ::kvcheck::Outcome::Skip) = ::kvcheck::Message()

#define KV_TEST_NAME_(suite, name) suite##_##name##_Check

#define TEST(suite, name)                                                                                \
    static void KV_TEST_NAME_(suite, name)();                                                            \
    static const ::kvcheck::Registrar KV_TEST_NAME_(suite, name##_registrar)(#suite, #name,               \
                                                                            &KV_TEST_NAME_(suite, name)); \
    static void KV_TEST_NAME_(suite, name)()

#define TEST_F(fixture, name)                                                                       \
    class KV_TEST_NAME_(fixture, name) : public fixture {                                           \
    public:                                                                                         \
        void body();                                                                                \
    };                                                                                              \
    static const ::kvcheck::Registrar KV_TEST_NAME_(fixture, name##_registrar)(#fixture, #name, [] { \
        KV_TEST_NAME_(fixture, name) check;                                                         \
        check.body();                                                                               \
    });                                                                                             \
    void KV_TEST_NAME_(fixture, name)::body()
