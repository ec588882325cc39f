// lab.cpp - the lab's text read and written, its edits, and its cube part
// written as C.
//
// The text comes from links and the command line, so it is read strictly,
// call by call, into numbers; nothing in it is ever run. Every number is a
// plain decimal within bounds, and an axis of 0, 0, 0 (which GL would turn
// about in no defined way) is refused.
#include "steps/lab.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

const char *const names[] = {"glPushMatrix", "glPopMatrix", "glRotatef", "glTranslatef",
                             "glutSolidCube"};
const int arguments[] = {0, 0, 4, 3, 1};
const double largest = 1000;  // bounds every number: a link can hold anything

const char *const ordinals[] = {"first", "second", "third", "fourth", "fifth"};

std::string mode_words(bool push_pop)
{
    return push_pop ? "with push/pop" : "without push/pop";
}

// The value of a plain decimal such as -12.5, read here rather than by
// strtod, which would bring the whole of the C library's number reading into
// the page. Exact to 15 digits, which is more than any bound here needs.
double decimal_value(const std::string &digits)
{
    long long whole = 0;
    int scale = 0;
    bool point = false, huge = false;
    for (char c : digits) {
        if (c == '.') {
            point = true;
        } else if (c >= '0' && c <= '9' && whole < 100000000000000LL) {
            whole = whole * 10 + (c - '0');
            scale += point;
        } else if (c >= '0' && c <= '9' && !point) {
            huge = true;
        }
    }
    double power = 1;
    for (int i = 0; i < scale; i++) power *= 10;
    const double value = huge ? HUGE_VAL : static_cast<double>(whole) / power;
    return digits[0] == '-' ? -value : value;
}

struct reader {
    const std::string &text;
    size_t at = 0;
    std::string error;

    void blanks()
    {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) at++;
    }
    bool take(char c)
    {
        blanks();
        if (at < text.size() && text[at] == c) {
            at++;
            return true;
        }
        return false;
    }
    bool fail(size_t where, const std::string &expected, const std::string &instead = "")
    {
        error = reading_error(text, where, expected, instead);
        return false;
    }
    bool expect(char c)
    {
        return take(c) || fail(at, std::string("\"") + c + "\"");
    }
    bool number(double lo, double hi, double &value, const std::string &what = "")
    {
        blanks();
        size_t end = at + (at < text.size() && (text[at] == '-' || text[at] == '+'));
        size_t digits = 0;
        for (; end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])); end++)
            digits++;
        if (end < text.size() && text[end] == '.') {
            for (end++; end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]));
                 end++)
                digits++;
        }
        if (digits > 0)
            value = decimal_value(text.substr(at, end - at));
        if (digits == 0 || value < lo || value > hi)
            return fail(at, what.empty()
                                ? "a number from " + plain_decimal(lo) + " to " + plain_decimal(hi)
                                : what);
        at = end;
        return true;
    }
    bool call(lab_call &c)
    {
        c.off = take('-');
        blanks();
        size_t end = at;
        while (end < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
            end++;
        int kind = 0;
        while (kind < 5 && text.compare(at, end - at, names[kind]) != 0) kind++;
        if (kind == 5 || (c.off && kind > lab_call::pop))
            return fail(at, c.off ? "glPushMatrix or glPopMatrix after \"-\" (only they can be "
                                    "switched off)"
                                  : "a call: glPushMatrix, glPopMatrix, glRotatef, glTranslatef "
                                    "or glutSolidCube");
        c.kind = static_cast<lab_call::kind_t>(kind);
        at = end;
        if (!expect('('))
            return false;
        size_t axis = 0;  // where a rotate's axis begins
        for (int i = 0; i < arguments[kind]; i++) {
            if (i > 0 && !expect(','))
                return false;
            blanks();
            axis = i == 1 ? at : axis;
            const bool angle = kind == lab_call::rotate && i == 0;
            if (angle && (text.compare(at, 2, "a1") == 0 || text.compare(at, 2, "a2") == 0) &&
                !(at + 2 < text.size() && std::isalnum(static_cast<unsigned char>(text[at + 2])))) {
                c.angle = text[at + 1] - '0';
                at += 2;
            } else if (!number(kind == lab_call::cube ? 0 : -largest, largest, c.n[i],
                               angle ? "the angle: a1, a2 or a number from -1000 to 1000" : "")) {
                return false;
            }
        }
        if (kind == lab_call::rotate && c.n[1] == 0 && c.n[2] == 0 && c.n[3] == 0)
            return fail(axis, "an axis other than 0, 0, 0", "0, 0, 0");
        return expect(')');
    }
};

// Reads text; with check, it must hold the calls of the program's cube part
// in one mode, in any order.
std::string read(const std::string &text, lab &out, bool check)
{
    reader r{text, 0, ""};
    lab got;
    int count[5] = {};
    int most[5] = {};  // of each call, in either mode
    for (bool push_pop : {false, true}) {
        int own[5] = {};
        if (check) {
            for (const lab_call &c : program_lab(push_pop).calls) own[c.kind]++;
        }
        for (int kind = 0; kind < 5; kind++) most[kind] = std::max(most[kind], own[kind]);
    }
    do {
        r.blanks();
        size_t start = r.at;
        lab_call c;
        if (!r.call(c))
            return r.error;
        if (++count[c.kind] > most[c.kind] && check) {
            r.fail(start,
                   "no more " + std::string(names[c.kind]) + " (the frame makes " +
                       std::to_string(most[c.kind]) + ")",
                   most[c.kind] < 5 ? "a " + std::string(ordinals[most[c.kind]]) : "more");
            return r.error;
        }
        got.calls.push_back(c);
        r.blanks();
    } while (r.take(';') && (r.blanks(), r.at < text.size()));
    if (r.at < text.size()) {
        r.fail(r.at, "\";\" between calls, or the end");
        return r.error;
    }
    got.push_pop = count[lab_call::push] + count[lab_call::pop] > 0;
    if (check) {
        int own[5] = {};
        for (const lab_call &c : program_lab(got.push_pop).calls) own[c.kind]++;
        for (int kind = 0; kind < 5; kind++) {
            if (count[kind] != own[kind]) {
                r.fail(text.size(),
                       std::to_string(own[kind]) + " " + names[kind] + " as the frame " +
                           mode_words(got.push_pop) + " makes",
                       std::to_string(count[kind]));
                return r.error;
            }
        }
    }
    out = got;
    return "";
}

// A number as C writes a float: 1.0f, -0.25f.
std::string c_float(double v)
{
    std::string s = plain_decimal(v);
    return s + (s.find('.') == std::string::npos ? ".0f" : "f");
}

bool same_calls(const lab &a, const lab &b)
{
    return a.push_pop == b.push_pop && lab_text(a) == lab_text(b);
}

}  // namespace

const char *call_name(lab_call::kind_t kind)
{
    return names[kind];
}

int number_count(lab_call::kind_t kind)
{
    return arguments[kind];
}

number_rule rule_of(lab_call::kind_t kind, int j)
{
    switch (kind) {
    case lab_call::rotate: return {-largest, largest, j == 0 ? 5.0 : 1.0};  // degrees; axis
    case lab_call::cube: return {0, largest, 0.1};
    default: return {-largest, largest, 0.1};  // world units
    }
}

std::string reading_error(const std::string &text, size_t at, const std::string &expected,
                          const std::string &instead)
{
    size_t character = 1;
    for (size_t i = 0; i < at && i < text.size(); i++)
        character += (static_cast<unsigned char>(text[i]) & 0xc0) != 0x80;
    // What stands there, shown safely: a few characters, anything but
    // printable ASCII as "?".
    std::string shown = instead;
    if (shown.empty() && at >= text.size())
        shown = "the end";
    if (shown.empty()) {
        shown = "\"";
        for (size_t i = at; i < text.size() && i < at + 16; i++) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            shown += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
        }
        shown += at + 16 < text.size() ? "...\"" : "\"";
    }
    return "character " + std::to_string(character) + ": expected " + expected + ", found " + shown;
}

std::string read_lab(const std::string &text, lab &out, bool check)
{
    return read(text, out, check);
}

std::string lab_entry(const lab_call &c)
{
    std::string text = std::string(c.off ? "-" : "") + names[c.kind] + "(";
    for (int i = 0; i < arguments[c.kind]; i++) {
        if (i > 0)
            text += ",";
        text += c.kind == lab_call::rotate && i == 0 && c.angle ? "a" + std::to_string(c.angle)
                                                                : plain_decimal(c.n[i]);
    }
    return text + ")";
}

std::string lab_text(const lab &l)
{
    std::string text;
    for (const lab_call &c : l.calls) text += (text.empty() ? "" : ";") + lab_entry(c);
    return text;
}

void set_number(lab &l, size_t k, int j, double value)
{
    if (k >= l.calls.size() || j < 0 || j >= arguments[l.calls[k].kind] || !std::isfinite(value))
        return;
    lab_call &c = l.calls[k];
    const number_rule rule = rule_of(c.kind, j);
    const double was = c.n[j];
    // Held as the text writes it, so that the link reads back the same.
    const double kept = std::round(std::min(rule.high, std::max(rule.low, value)) * 1e6) / 1e6;
    c.n[j] = kept == 0 ? 0 : kept;  // never -0
    // An axis of 0, 0, 0 turns about nothing: that number stays as it was.
    if (c.kind == lab_call::rotate && c.n[1] == 0 && c.n[2] == 0 && c.n[3] == 0) {
        c.n[j] = was;
        return;
    }
    if (c.kind == lab_call::rotate && j == 0)
        c.angle = 0;
}

void swap_with_next(lab &l, size_t k)
{
    if (k + 1 < l.calls.size())
        std::swap(l.calls[k], l.calls[k + 1]);
}

void switch_call(lab &l, size_t k)
{
    if (k < l.calls.size() && l.calls[k].kind <= lab_call::pop)
        l.calls[k].off = !l.calls[k].off;
}

std::string lab_c_code(const lab &l)
{
    const lab &own = program_lab(l.push_pop);
    const char *const materials[] = {"mat_obj1", "mat_obj2"};
    std::string code =
        "    // The cube part, " + mode_words(l.push_pop) +
        (same_calls(l, own) ? ", as the program has it\n" : ", as changed in the lab\n");
    int depth = 1, cubes = 0;  // depth 1: the view, where the cube part starts
    auto line = [&code, &depth](const std::string &text) {
        code += std::string(static_cast<size_t>(4 * depth), ' ') + text + "\n";
    };
    for (size_t k = 0; k < l.calls.size(); k++) {
        // The frame sets each cube's material just before its own cube's
        // place, whatever the lab makes there.
        if (k < own.calls.size() && own.calls[k].kind == lab_call::cube && cubes < 2)
            line(std::string("glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, ") +
                 materials[cubes++] + ");");
        const lab_call &c = l.calls[k];
        const double *n = c.n;
        switch (c.kind) {
        case lab_call::push:
            line(c.off ? "// glPushMatrix();" : "glPushMatrix();");
            depth += c.off ? 0 : 1;
            break;
        case lab_call::pop:
            if (c.off) {
                line("// glPopMatrix();");
            } else if (depth > 1) {
                depth--;
                line("glPopMatrix();");
            } else {
                line("glPopMatrix();  // GL_STACK_UNDERFLOW: nothing to pop");
            }
            break;
        case lab_call::rotate:
            line("glRotatef(" +
                 (c.angle ? "scene_state.angle_obj" + std::to_string(c.angle) : c_float(n[0])) +
                 ", " + c_float(n[1]) + ", " + c_float(n[2]) + ", " + c_float(n[3]) + ");");
            break;
        case lab_call::translate:
            line("glTranslatef(" + c_float(n[0]) + ", " + c_float(n[1]) + ", " + c_float(n[2]) +
                 ");");
            break;
        case lab_call::cube: {
            // The frame's own size is a constant of its own.
            bool own_size = false;
            for (const lab_call &o : own.calls)
                own_size |= o.kind == lab_call::cube && o.n[0] == n[0];
            line("glutSolidCube(" + (own_size ? std::string("cube_size") : plain_decimal(n[0])) +
                 ");");
            break;
        }
        }
    }
    while (depth > 1) {
        depth--;
        line("glPopMatrix();  // added: the label needs the stack as the cube part found it");
    }
    return code;
}

std::string plain_decimal(double v)
{
    char text[48];
    snprintf(text, sizeof text, "%.6f", v);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

bool read_decimal(const std::string &text, double low, double high, double &value)
{
    reader r{text, 0, ""};
    return !text.empty() && !std::isspace(static_cast<unsigned char>(text[0])) &&
           r.number(low, high, value) && r.at == text.size();
}
