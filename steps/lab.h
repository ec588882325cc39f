// lab.h - the lab: the cube part of on_display as a student changed it (the
// numbers of its calls, their order, a push or pop switched off), kept as
// data; written as a short text that a person can read and a link can hold,
// read back by a strict parser (never run); changed one edit at a time; and
// written out as C for on_display.
//
// The text is the calls themselves, separated by ";":
//   glPushMatrix();glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);-glPopMatrix();...
// a1 and a2 are the cubes' angles as the animation turns them; a "-" in front
// switches a push or pop off. Spaces between the parts are allowed. The
// calls are those of the program's cube part in one mode (program_lab), in
// any order: with push/pop when they include a push or a pop, without when
// not.
#pragma once

#include <string>
#include <vector>

struct lab_call {
    enum kind_t { push, pop, rotate, translate, cube } kind = push;
    bool off = false;  // a push or pop switched off: it does nothing
    int angle = 0;     // rotate: 1 or 2 turns by a1 or a2, 0 by n[0]
    double n[4] = {};  // rotate: angle, x, y, z; translate: x, y, z; cube: size
};

struct lab {
    bool push_pop = true;  // the mode whose cube part it is
    std::vector<lab_call> calls;
};

// What each kind of call is called, and how many numbers it takes.
const char *call_name(lab_call::kind_t kind);
int number_count(lab_call::kind_t kind);
// The bounds of the j-th number of a kind of call, and the step by which a
// student's arrow key or drag changes it.
struct number_rule {
    double low, high, step;
};
number_rule rule_of(lab_call::kind_t kind, int j);

// Numbers as the lab's text and the capture tool's options write them:
// plain decimals ("-12.5", ".5", "+3"), never 0x10, inf, nan or 1e3.
// read_decimal: the value of text if it is all one such number from low to
// high. plain_decimal: v the shortest way, to six decimals, never "-0".
bool read_decimal(const std::string &text, double low, double high, double &value);
std::string plain_decimal(double v);

// The program's own cube part in each mode, as steps/frame_steps.cpp learnt
// it from on_display (learn_cube_part), not written anywhere as text.
const lab &program_lab(bool push_pop);

// Reads a lab's text into out: calls within their bounds and, with check,
// the calls of the program's cube part in one mode, in any order. Returns ""
// or, for text it cannot read, one line saying where and what it expected
// there ("character 12: expected ..., found ..."); out is then left as it
// was. Without check it needs nothing of the frame (no GL).
std::string read_lab(const std::string &text, lab &out, bool check = true);

// The line that read_lab gives for text it cannot read, for a reader of a
// text around the lab's: "character N: expected ..., found ...", N counted
// in characters (not UTF-8 bytes) from 1 up to at; instead, if given, for
// what stands there (else a few of its characters, shown safely).
std::string reading_error(const std::string &text, size_t at, const std::string &expected,
                          const std::string &instead = "");

// The lab as text, the shortest way: no spaces, no ";" after the last call.
std::string lab_text(const lab &l);
// One call as the text writes it: "glRotatef(a1,0,0,1)", "-glPopMatrix()".
std::string lab_entry(const lab_call &c);

// The edits a student makes, each within the rules: the j-th number of the
// k-th call set (an angle set stays as set: no longer a1 or a2), held within
// its bounds and written as the text writes it; the k-th call swapped with
// the next; a push or pop switched off or on. Calls out of range, and a
// switch of a call that is not a push or pop, change nothing.
void set_number(lab &l, size_t k, int j, double value);
void swap_with_next(lab &l, size_t k);
void switch_call(lab &l, size_t k);

// The cube part as C for on_display, indented as render/scene_frame.cpp is,
// the calls between a push and its pop one step further in, with the cubes'
// materials where the frame sets them; a push left without its pop gets one
// at the end, as the lab adds it.
std::string lab_c_code(const lab &l);
