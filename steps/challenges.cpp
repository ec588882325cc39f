// challenges.cpp - the built-in challenges, challenges made from a seed,
// comparing where cubes stand, and reading a challenge's link.
//
// Every target is a frame drawn by GL (cubes_drawn): a stored solution's, or
// the program's calls changed by the lab's own edits. Nothing here works out
// where a cube stands from the calls.
#include "steps/challenges.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

const double within = 0.01, within_degrees = 1;  // a match: centres, axes and sizes

// The program's own calls in the mode, which a table entry writes as "".
const char *const own = "";

const char *const words_of[2][2] = {
    {"Make the cubes stand where their outlines are: %d change is enough.",
     "Make the cubes stand where their outlines are: %d changes are enough."},
    {"Leve os cubos até onde estão os contornos: basta %d mudança.",
     "Leve os cubos até onde estão os contornos: bastam %d mudanças."},
};

// The built-in challenges, easiest first. Each solution is the start changed
// by the lab's edits alone, in as few as fewest; where two ways reach the
// target, both are stored.
const struct {
    const char *goal_en, *goal_pt;
    float angle;
    const char *start;         // lab text, or own
    const char *solutions[2];  // the second nullptr for one way
    int fewest;
} table[] = {
    {"With push/pop, the shift (1.5, 1.5, 0) is measured from the origin. Put the blue cube at "
     "(-1.5, 1.5, 0).",
     "Com push/pop, o deslocamento (1,5; 1,5; 0) é medido a partir da origem. Coloque o cubo azul "
     "em (-1,5; 1,5; 0).",
     30,
     own,
     {"glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
      "glTranslatef(-1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
      "glPopMatrix()",
      nullptr},
     1},
    {"The cubes hold still at 30 degrees. Turn the grey cube so that it stands on the y axis, at "
     "(0, 1, 0).",
     "Os cubos param em 30 graus. Gire o cubo cinza para que ele fique sobre o eixo y, em "
     "(0; 1; 0).",
     30,
     own,
     {"glPushMatrix();glRotatef(90,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
      "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
      "glPopMatrix()",
      nullptr},
     1},
    {"Keep the grey cube at (1, 0, 0), turned 45 degrees where it stands, without changing any "
     "number: turn it after its shift, not before.",
     "Deixe o cubo cinza em (1; 0; 0), girado 45 graus ali mesmo, sem mudar nenhum número: gire "
     "depois do deslocamento, não antes.",
     45,
     own,
     {"glPushMatrix();glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);glPopMatrix();"
      "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
      "glPopMatrix()",
      nullptr},
     1},
    {"A glPopMatrix is switched off, so the blue cube is carried with the grey one. Bring it "
     "back to (1.5, 1.5, 0).",
     "Um glPopMatrix está desligado, então o cubo azul é levado junto com o cinza. Traga-o de "
     "volta para (1,5; 1,5; 0).",
     45,
     "glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);-glPopMatrix();"
     "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
     "glPopMatrix()",
     {own, nullptr},
     1},
    {"The first glPopMatrix finds nothing to pop (GL_STACK_UNDERFLOW) and leaves the matrix as "
     "it was, so the blue cube rides with the grey one. Bring it back to (1.5, 1.5, 0).",
     "O primeiro glPopMatrix não tem o que desempilhar (GL_STACK_UNDERFLOW) e deixa a matriz como "
     "estava, então o cubo azul vai junto com o cinza. Traga-o de volta para (1,5; 1,5; 0).",
     45,
     "-glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
     "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
     "glPopMatrix()",
     {own, nullptr},
     1},
    {"Make this frame, with push/pop, draw what the program draws without it: the blue cube "
     "carried by the grey one, at (0.71, 2.83, 0). One switch is enough, and there are two.",
     "Faça este quadro, com push/pop, desenhar o que o programa desenha sem eles: o cubo azul "
     "levado pelo cinza, em (0,71; 2,83; 0). Basta uma chave, e há duas que servem.",
     45,
     own,
     {"glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);-glPopMatrix();"
      "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
      "glPopMatrix()",
      "-glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
      "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
      "glPopMatrix()"},
     1},
    {"At 90 degrees the grey cube stands at (0, 1, 0). Send it to (0, -1, 0), turned the other "
     "way. There are two ways, each of one change.",
     "Em 90 graus o cubo cinza está em (0; 1; 0). Leve-o para (0; -1; 0), girado para o outro "
     "lado. Há dois jeitos, cada um com uma mudança.",
     90,
     own,
     {"glPushMatrix();glRotatef(-90,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
      "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
      "glPopMatrix()",
      "glPushMatrix();glRotatef(a1,0,0,-1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
      "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
      "glPopMatrix()"},
     1},
    {"Without push/pop, the shift (1.5, 1.5, 0) goes along the grey cube's turned axes. At 90 "
     "degrees, bring the blue cube to (1.5, 2.5, 0).",
     "Sem push/pop, o deslocamento (1,5; 1,5; 0) segue os eixos girados do cubo cinza. Em 90 "
     "graus, leve o cubo azul para (1,5; 2,5; 0).",
     90,
     own,
     {"glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glTranslatef(1.5,-1.5,0);"
      "glRotatef(a2,0,1,0);glutSolidCube(0.5)",
      nullptr},
     1},
    {"Without push/pop, keep the grey cube at (1, 0, 0), turned 45 degrees where it stands; the "
     "blue cube follows its turned frame.",
     "Sem push/pop, deixe o cubo cinza em (1; 0; 0), girado 45 graus ali mesmo; o cubo azul segue "
     "o sistema girado dele.",
     45,
     own,
     {"glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);glTranslatef(1.5,1.5,0);"
      "glRotatef(a2,0,1,0);glutSolidCube(0.5)",
      nullptr},
     1},
    {"Without push/pop, stop the blue cube's own spin: it stays where it is, turned as the grey "
     "cube is.",
     "Sem push/pop, pare o giro próprio do cubo azul: ele fica onde está, girado como o cubo "
     "cinza.",
     45,
     own,
     {"glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glTranslatef(1.5,1.5,0);"
      "glRotatef(0,0,1,0);glutSolidCube(0.5)",
      nullptr},
     1},
    {"Make the grey cube 1 unit wide and the blue cube 0.2.",
     "Deixe o cubo cinza com 1 unidade de lado e o azul com 0,2.",
     0,
     own,
     {"glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(1);glPopMatrix();"
      "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.2);"
      "glPopMatrix()",
      nullptr},
     2},
    {"Without push/pop, make the blue cube circle round the grey one: turned by a2 about the z "
     "axis, in the grey cube's frame, before its shift. At 60 degrees it stands at "
     "(-1.55, 1.42, 0).",
     "Sem push/pop, faça o cubo azul girar em volta do cinza: girado por a2 em torno do eixo z, "
     "no sistema do cubo cinza, antes do deslocamento. Em 60 graus ele fica em "
     "(-1,55; 1,42; 0).",
     60,
     own,
     {"glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glRotatef(a2,0,0,1);"
      "glTranslatef(1.5,1.5,0);glutSolidCube(0.5)",
      nullptr},
     3},
    {"The grey cube 0.3 wide at (0, 1, 0), a quarter turn about z; the blue cube 0.8 wide at "
     "(-1.5, 1.5, 0), spinning as before.",
     "O cubo cinza com 0,3 de lado em (0; 1; 0), um quarto de volta em torno de z; o azul com 0,8 "
     "de lado em (-1,5; 1,5; 0), girando como antes.",
     30,
     own,
     {"glPushMatrix();glRotatef(90,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.3);glPopMatrix();"
      "glTranslatef(-1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.8);"
      "glPopMatrix()",
      nullptr},
     4},
};
const int table_size = static_cast<int>(sizeof table / sizeof table[0]);

double length(const std::array<double, 3> &v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// The angle between two axes in degrees, by atan2, which stays exact near
// 0 where acos does not; an axis of no length (a cube of size 0) turns no
// way, and its length alone tells it apart.
double degrees_between(const std::array<double, 3> &a, const std::array<double, 3> &b)
{
    const std::array<double, 3> cross = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                         a[0] * b[1] - a[1] * b[0]};
    const double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    if (length(a) < 1e-9 || length(b) < 1e-9)
        return 0;
    return std::atan2(length(cross), dot) * 180 / 3.14159265358979323846;
}

// splitmix64: the same numbers from the same seed on any machine.
struct random_numbers {
    uint64_t state;
    uint64_t next()
    {
        uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n)
    {
        return static_cast<int>(next() % static_cast<uint64_t>(n));
    }
    // 1 to most, either sign.
    int nudge(int most)
    {
        return (below(2) ? 1 : -1) * (1 + below(most));
    }
};

// One edit of the lab, as a student makes it: a number moved along its
// step grid (an angle by a1 or a2 from where it stands at angle), a call
// swapped with the next, or a push or pop switched.
void random_edit(lab &l, random_numbers &r, float angle)
{
    const int kind = r.below(l.push_pop ? 8 : 7);
    const size_t k = static_cast<size_t>(r.below(static_cast<int>(l.calls.size())));
    if (kind == 7) {
        std::vector<size_t> switches;
        for (size_t i = 0; i < l.calls.size(); i++) {
            if (l.calls[i].kind <= lab_call::pop)
                switches.push_back(i);
        }
        switch_call(l, switches[static_cast<size_t>(r.below(static_cast<int>(switches.size())))]);
        return;
    }
    if (kind >= 5) {
        swap_with_next(l, k);
        return;
    }
    std::vector<size_t> numbered;
    for (size_t i = 0; i < l.calls.size(); i++) {
        if (number_count(l.calls[i].kind) > 0)
            numbered.push_back(i);
    }
    const lab_call &c =
        l.calls[numbered[static_cast<size_t>(r.below(static_cast<int>(numbered.size())))]];
    const size_t at = static_cast<size_t>(&c - l.calls.data());
    int j = 0, steps = 0;
    if (c.kind == lab_call::rotate) {
        j = r.below(4) == 0 ? 1 + r.below(3) : 0;
        steps = j == 0 ? r.nudge(12) : r.nudge(1);
    } else if (c.kind == lab_call::translate) {
        j = r.below(3);
        steps = r.nudge(10);
    } else {
        steps = r.nudge(4);
    }
    const double step = rule_of(c.kind, j).step;
    const double from = c.kind == lab_call::rotate && j == 0 && c.angle ? angle : c.n[j];
    double value = (std::round(from / step) + steps) * step;
    if (c.kind == lab_call::cube && value < step)  // a cube stays to be seen
        value = (std::round(from / step) - steps) * step;
    set_number(l, at, j, value);
}

// How many changes make b from a without a swap: a switch for each push or
// pop switched, a number set for each number that differs (an angle set
// where a1 or a2 was); a lab of another order cannot be made so at all.
int changes_in_place(const lab &a, const lab &b)
{
    if (a.calls.size() != b.calls.size())
        return INT_MAX;
    int changes = 0;
    for (size_t k = 0; k < a.calls.size(); k++) {
        const lab_call &x = a.calls[k], &y = b.calls[k];
        if (x.kind != y.kind || (x.angle != y.angle && y.angle != 0))
            return INT_MAX;
        changes += x.off != y.off;
        for (int j = 0; j < number_count(x.kind); j++) {
            const bool by_angle = j == 0 && (x.angle || y.angle);
            changes += by_angle ? x.angle != y.angle : x.n[j] != y.n[j];
        }
    }
    return changes;
}

bool read_all(const char *const *texts, size_t count, bool push_pop, std::vector<lab> &out)
{
    for (size_t i = 0; i < count && texts[i]; i++) {
        lab l;
        if (*texts[i] == '\0')
            l = program_lab(push_pop);
        else if (!read_lab(texts[i], l).empty())
            return false;
        out.push_back(l);
    }
    return true;
}

// The lab text's mode, read without GL: with push/pop among its calls.
bool mode_of(const char *text)
{
    lab l;
    return read_lab(text, l, false).empty() && l.push_pop;
}

}  // namespace

places_compared compare_places(const std::vector<cube_place> &got,
                               const std::vector<cube_place> &target)
{
    places_compared result;
    result.same_count = got.size() == target.size();
    for (size_t i = 0; i < std::min(got.size(), target.size()); i++) {
        cube_difference d;
        std::array<double, 3> apart{};
        for (size_t row = 0; row < 3; row++)
            apart[row] = got[i].origin[row] - target[i].origin[row];
        d.distance = length(apart);
        for (size_t k = 0; k < 3; k++) {
            d.degrees = std::max(d.degrees, degrees_between(got[i].axes[k], target[i].axes[k]));
            d.length =
                std::max(d.length, std::fabs(length(got[i].axes[k]) - length(target[i].axes[k])));
        }
        d.matches = d.distance <= within && d.degrees <= within_degrees && d.length <= within;
        result.cubes.push_back(d);
    }
    result.matches = result.same_count;
    for (const cube_difference &d : result.cubes) result.matches &= d.matches;
    return result;
}

int challenge_count()
{
    return table_size;
}

bool builtin_challenge(int n, challenge &out)
{
    if (n < 1 || n > table_size)
        return false;
    const auto &t = table[n - 1];
    challenge c;
    c.id = std::to_string(n);
    c.goal[0] = t.goal_en;
    c.goal[1] = t.goal_pt;
    c.angle = t.angle;
    c.fewest = t.fewest;
    // Every entry's calls are of one mode; its first solution is written out.
    const bool push_pop = mode_of(*t.start ? t.start : t.solutions[0]);
    std::vector<lab> start;
    if (!read_all(&t.start, 1, push_pop, start) || !read_all(t.solutions, 2, push_pop, c.solutions))
        return false;
    c.start = start[0];
    out = c;
    return true;
}

bool seeded_challenge(uint32_t seed, int level, challenge &out)
{
    if (level < 1 || level > 3)
        return false;
    random_numbers r{seed};
    // A draw whose edits leave the cubes where they started is drawn again;
    // so is an edit that moves no cube, so that each edit counts.
    for (int attempt = 0; attempt < 100; attempt++) {
        const bool push_pop = r.below(2) == 1;
        const float angle = static_cast<float>(15 * (1 + r.below(5)));
        const lab start = program_lab(push_pop);
        const std::vector<cube_place> at_start = cubes_drawn(&start, push_pop, angle);
        lab target = start;
        std::vector<cube_place> now = at_start;
        int made = 0;
        for (int tries = 0; made < level && tries < 20; tries++) {
            lab next = target;
            random_edit(next, r, angle);
            std::vector<cube_place> then = cubes_drawn(&next, push_pop, angle);
            if (!compare_places(then, now).matches) {
                target = next;
                now = then;
                made++;
            }
        }
        if (made < level || compare_places(at_start, now).matches)
            continue;
        // Edits of one number, or a swap undone, count once, or not at all.
        const int fewest = std::min(made, changes_in_place(start, target));
        challenge c;
        c.id = "seed " + std::to_string(seed) + ", level " + std::to_string(level);
        for (int language = 0; language < 2; language++) {
            char goal[160];
            snprintf(goal, sizeof goal, words_of[language][fewest > 1], fewest);
            c.goal[language] = goal;
        }
        c.angle = angle;
        c.start = start;
        c.solutions = {target};
        c.fewest = fewest;
        out = c;
        return true;
    }
    return false;
}

std::vector<cube_place> target_places(const challenge &c)
{
    if (c.solutions.empty())
        return {};
    return cubes_drawn(&c.solutions[0], c.solutions[0].push_pop, c.angle);
}

namespace {

const char *const keys[] = {"challenge", "seed", "level", "target", "angle", "goal"};
enum { challenge_key, seed_key, level_key, target_key, angle_key, goal_key, key_count };

int key_of(const std::string &part)
{
    const size_t equals = part.find('=');
    for (int k = 0; k < key_count && equals != std::string::npos; k++) {
        if (part.compare(0, equals, keys[k]) == 0)
            return k;
    }
    return -1;
}

int hex(char c)
{
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// Reads a link's text; where a part's own reader (read_lab's) counts in the
// part as decoded, its line is turned to count in the text as given.
struct link_reader {
    const std::string &text;
    std::string error;

    bool fail(size_t at, const std::string &expected, const std::string &instead = "")
    {
        error = reading_error(text, at, expected, instead);
        return false;
    }
    std::string refuse(size_t at, const std::string &expected, const std::string &instead = "")
    {
        fail(at, expected, instead);
        return error;
    }
    // The part from..to percent-decoded, with where each of its bytes stood.
    bool decode(size_t from, size_t to, std::string &out, std::vector<size_t> &where)
    {
        for (size_t i = from; i < to; i++) {
            if (text[i] != '%') {
                out += text[i];
                where.push_back(i);
                continue;
            }
            if (i + 2 >= to || hex(text[i + 1]) < 0 || hex(text[i + 2]) < 0)
                return fail(i, "two hexadecimal digits after \"%\"");
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            where.push_back(i);
            i += 2;
        }
        where.push_back(to);
        return true;
    }
    // read_lab's line for the decoded part, its character counted in text.
    bool lab_part(const std::string &part, const std::vector<size_t> &where, bool check)
    {
        lab l;
        const std::string line = read_lab(part, l, check);
        if (line.empty())
            return true;
        const size_t colon = line.find(':');
        size_t character = 0;  // the number after "character "
        for (size_t i = 10; i < colon; i++) character = character * 10 + (line[i] - '0');
        size_t byte = 0;
        for (size_t seen = 0; byte < part.size(); byte++) {
            if ((static_cast<unsigned char>(part[byte]) & 0xc0) != 0x80 && ++seen == character)
                break;
        }
        size_t counted = 1;
        for (size_t i = 0; i < where[byte]; i++)
            counted += (static_cast<unsigned char>(text[i]) & 0xc0) != 0x80;
        error = "character " + std::to_string(counted) + line.substr(colon);
        return false;
    }
    bool whole(const std::string &value, size_t at, uint64_t low, uint64_t high, uint64_t &out,
               const std::string &what)
    {
        out = 0;
        bool digits = !value.empty() && value.size() <= 10;
        for (char c : value) {
            digits &= c >= '0' && c <= '9';
            out = out * 10 + static_cast<uint64_t>(c - '0');
        }
        return (digits && out >= low && out <= high) ||
               fail(at, what + " from " + plain_decimal(static_cast<double>(low)) + " to " +
                            plain_decimal(static_cast<double>(high)));
    }
};

}  // namespace

std::string read_link(const std::string &text, challenge_link &out, bool check)
{
    link_reader r{text, ""};
    challenge_link got;
    const size_t hash = text.find('#');
    // The page's address without "#" is the page with the program's calls.
    const bool bare = hash == std::string::npos && text.find("://") != std::string::npos;
    const size_t begin = hash != std::string::npos ? hash + 1 : bare ? text.size() : 0;
    got.is_link = hash != std::string::npos || bare || text.find('&') != std::string::npos;
    size_t given[key_count] = {};  // where each part began, plus one
    for (size_t from = begin; from <= text.size();) {
        size_t to = std::min(text.find('&', from), text.size());
        std::string part;
        std::vector<size_t> where;
        if (!r.decode(from, to, part, where))
            return r.error;
        const int key = key_of(part);
        const size_t value_at = where[std::min(part.find('=') + 1, part.size())];
        const std::string value = key < 0 ? "" : part.substr(part.find('=') + 1);
        const std::string listed = "challenge=, seed=, level=, target=, angle= or goal=";
        if (key < 0 && from != begin)
            return r.refuse(from, listed);
        if (key >= 0 && given[key])
            return r.refuse(from, "each part once");
        if (key >= 0)
            given[key] = from + 1;
        uint64_t number = 0;
        double angle = 0;
        switch (key) {
        case -1:
            got.calls = part;
            if ((!part.empty() || !got.is_link) && !r.lab_part(part, where, check))
                return r.error;
            break;
        case challenge_key:
            if (!r.whole(value, value_at, 1, static_cast<uint64_t>(table_size), number,
                         "a challenge"))
                return r.error;
            got.challenge = static_cast<int>(number);
            break;
        case seed_key:
            if (!r.whole(value, value_at, 0, UINT32_MAX, number, "a seed"))
                return r.error;
            got.seed = static_cast<uint32_t>(number);
            got.seeded = true;
            break;
        case level_key:
            if (!r.whole(value, value_at, 1, 3, number, "a level"))
                return r.error;
            got.level = static_cast<int>(number);
            break;
        case target_key: {
            std::vector<size_t> tail(
                where.begin() + static_cast<std::ptrdiff_t>(part.find('=') + 1), where.end());
            if (!r.lab_part(value, tail, check))
                return r.error;
            got.target = value;
            break;
        }
        case angle_key:
            if (!read_decimal(value, 0, 360, angle))
                return r.refuse(value_at, "an angle from 0 to 360");
            got.angle = static_cast<float>(angle);
            got.angle_given = true;
            break;
        default:  // goal
            for (size_t i = 0; i < value.size(); i++) {
                const unsigned char c = static_cast<unsigned char>(value[i]);
                if (c < 32 || c == 127)
                    return r.refuse(where[part.find('=') + 1 + i], "words on one line");
            }
            if (value.size() > 1000)
                return r.refuse(value_at, "a goal of at most 1000 bytes", "more");
            got.goal = value;
        }
        from = to + 1;
    }
    got.is_link |= given[challenge_key] || given[seed_key] || given[level_key] ||
                   given[target_key] || given[angle_key] || given[goal_key];
    // What goes together: one target, a seed with its level, an angle and a
    // goal only with a target of the teacher's (a challenge has its own).
    const int targets = (given[challenge_key] > 0) + (given[seed_key] > 0 || given[level_key] > 0) +
                        (given[target_key] > 0);
    if (targets > 1) {
        // The seed's pair begins at whichever of its parts comes first.
        const size_t seeded = given[seed_key] && given[level_key]
                                  ? std::min(given[seed_key], given[level_key])
                                  : given[seed_key] + given[level_key];
        const size_t second = std::max({given[challenge_key], seeded, given[target_key]});
        return r.refuse(second - 1, "one of challenge=, seed= with level=, and target=");
    }
    if (given[seed_key] && !given[level_key])
        return r.refuse(text.size(), "level= with seed=");
    if (given[level_key] && !given[seed_key])
        return r.refuse(text.size(), "seed= with level=");
    for (int k : {angle_key, goal_key}) {
        if (given[k] && !given[target_key])
            return r.refuse(given[k] - 1,
                            std::string(keys[k]) + "= only with target= (a challenge has its own)");
    }
    out = got;
    return "";
}

std::string link_text(const challenge_link &link)
{
    std::string text = link.calls;
    const auto part = [&text](int key, const std::string &value) {
        text += std::string("&") + keys[key] + "=" + value;
    };
    if (link.challenge > 0)
        part(challenge_key, std::to_string(link.challenge));
    if (link.seeded) {
        part(seed_key, std::to_string(link.seed));
        part(level_key, std::to_string(link.level));
    }
    if (!link.target.empty())
        part(target_key, link.target);
    if (!link.target.empty() && link.angle_given)
        part(angle_key, plain_decimal(link.angle));
    if (!link.target.empty() && !link.goal.empty()) {
        std::string goal;
        for (char c : link.goal) {
            const unsigned char b = static_cast<unsigned char>(c);
            char escaped[4];
            snprintf(escaped, sizeof escaped, "%%%02X", b);
            goal += std::isalnum(b) || (c != 0 && std::strchr("-._~,;:()!*'", c))
                        ? std::string(1, c)
                        : escaped;
        }
        part(goal_key, goal);
    }
    return text;
}

bool link_challenge(const challenge_link &link, challenge &out)
{
    if (link.challenge > 0)
        return builtin_challenge(link.challenge, out);
    if (link.seeded)
        return seeded_challenge(link.seed, link.level, out);
    lab target;
    if (link.target.empty() || !read_lab(link.target, target).empty())
        return false;
    challenge c;
    c.goal[0] = c.goal[1] = link.goal;
    c.angle = link.angle;
    if (link.calls.empty() || !read_lab(link.calls, c.start).empty())
        c.start = program_lab(target.push_pop);
    c.solutions = {target};
    out = c;
    return true;
}
