// challenges.h - challenges for the lab: a goal in words, the calls a
// student starts from, and where each cube must end up, as GL places the
// cubes of a stored solution (cubes_drawn, steps/frame_steps.h). Solved when
// the student's cubes, as GL places them, stand where the target's do.
// Built-in ones, ones made from a seed, and a teacher's own, all reached
// through one kind of link: the page's address with parts after its calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "steps/frame_steps.h"
#include "steps/lab.h"

// How far one cube stands from its target: the distance between centres,
// the largest angle between corresponding axes (degrees), and the largest
// difference of their lengths (the cube's size).
struct cube_difference {
    double distance = 0, degrees = 0, length = 0;
    bool matches = false;  // within 0.01, 1 degree and 0.01
};

// The cubes compared in order. A frame with another number of cubes matches
// nothing, and the cubes it has past the target's are not compared.
struct places_compared {
    bool same_count = false;
    std::vector<cube_difference> cubes;
    bool matches = false;  // the same count, and every cube matches
};
places_compared compare_places(const std::vector<cube_place> &got,
                               const std::vector<cube_place> &target);

struct challenge {
    std::string id;       // "3" for the third built-in, "seed 123, level 2", or "" for a teacher's
    std::string goal[2];  // in English, in Brazilian Portuguese
    float angle = 0;      // of both cubes, held while the challenge lasts
    lab start;
    std::vector<lab> solutions;  // each draws the target; the first is the one drawn
    // Changes of the lab (a number set, a swap, a switch) that solve it; for
    // one made from a seed, at most the edits that made it (each moved a
    // cube), fewer where they set one number twice or undid a swap; 0 for a
    // teacher's, not known.
    int fewest = 0;
};

// The built-in challenges, easiest first: how many, and the n-th from 1
// (nothing but false for another n). Reading their calls needs the
// program's own (program_lab), so GL.
int challenge_count();
bool builtin_challenge(int n, challenge &out);

// A challenge made from a seed, at level 1 to 3 (1 to 3 edits): the
// program's calls of a mode that the seed picks, changed by the lab's own
// edits on its step grid; the result's cubes are the target. The same seed
// and level give the same challenge wherever it runs: its random numbers
// come from integer arithmetic alone. False for a level out of range.
bool seeded_challenge(uint32_t seed, int level, challenge &out);

// A link as a student copies it from a browser's address bar, or the part
// after "#" alone: the calls, then parts separated by "&":
//   ...#glPushMatrix();...&challenge=3
//   ...#glPushMatrix();...&seed=123&level=2
//   ...#glPushMatrix();...&target=<calls>&angle=30&goal=<words>
// Each part percent-decoded (%20 a space, %26 an "&"). A text that is only
// parts (challenge=3) has no calls, nor has an address without "#" (with
// "://": the page with the program's calls); any other text without "#" or
// "&" is calls alone.
struct challenge_link {
    bool is_link = false;  // had a "#" or parts: its calls may be left empty
    std::string calls;     // decoded; "" for none
    int challenge = 0;     // challenge=, 0 for none
    bool seeded = false;   // seed= with level=
    uint32_t seed = 0;
    int level = 0;
    std::string target;  // target=, decoded; "" for none
    bool angle_given = false;
    float angle = 0;   // angle=, 0 to 360
    std::string goal;  // goal=, decoded: one line of printable words
    bool has_target() const
    {
        return challenge > 0 || seeded || !target.empty();
    }
};

// Reads text into out: its parts, and its calls and target= through
// read_lab (with check, held to the program's calls, which needs GL).
// Returns "" or one line saying where, counted in the text as given, and
// what was expected there; out is then left as it was.
std::string read_link(const std::string &text, challenge_link &out, bool check = true);

// A link's text after its "#", as read_link reads it: the calls, then the
// parts it has, the goal's bytes percent-encoded where a browser's address
// would not keep them.
std::string link_text(const challenge_link &link);

// The challenge a link names: built-in, seeded, or a teacher's target= with
// its angle= (0 without) and goal=, starting from the link's calls (or the
// program's in the target's mode); false when it names none.
bool link_challenge(const challenge_link &link, challenge &out);

// The cubes a challenge wants: its first solution's, as GL places them at
// its angle.
std::vector<cube_place> target_places(const challenge &c);
