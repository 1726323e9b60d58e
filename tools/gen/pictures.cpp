#include "tools/gen/pictures.h"

#include <cmath>
#include <numbers>

namespace gen {
namespace {

const Rgb kBlack{0, 0, 0};
const Rgb kNavy{0, 0, 70};
const Rgb kWhite{255, 255, 255};
const Rgb kYellow{255, 230, 0};
const Rgb kRed{230, 30, 30};
const Rgb kGreen{30, 200, 60};
const Rgb kBlue{40, 110, 255};
const Rgb kOrange{255, 140, 0};
const Rgb kMagenta{230, 50, 200};
const Rgb kCyan{0, 220, 230};
const Rgb kBrown{150, 85, 30};
const Rgb kDarkBrown{95, 50, 15};
const Rgb kGrey{70, 70, 80};

const Rgb kTileColours[] = {kRed, kGreen, kBlue, kOrange, kMagenta, kCyan};

void tile(Canvas& c, Font& font, int x, int y, int size, Rgb colour, const std::string& text,
          int text_size) {
    c.fill_rect(x, y, size, size, colour);
    c.frame_rect(x, y, size, size, 2, kWhite);
    c.text_centred(font, text, text_size, x + size / 2, y + size / 2, kWhite, size - 4);
}

// A Braille cell with its raised dots large and bright, the others as small rings.
void braille_cell(Canvas& c, uint8_t dots, double x, double y, double spacing, double radius) {
    c.fill_rect(static_cast<int>(x - spacing * 0.7), static_cast<int>(y - spacing * 0.7),
                static_cast<int>(spacing * 2.4), static_cast<int>(spacing * 3.4), kGrey);
    for (int d = 0; d < 6; ++d) {
        const double dx = x + (d / 3) * spacing;
        const double dy = y + (d % 3) * spacing;
        if (dots & (1 << d))
            c.fill_circle(dx, dy, radius, kWhite);
        else
            c.ring(dx, dy, radius * 0.45, 1.5, kBlack);
    }
}

void closed_box(Canvas& c, double cx, double top, double w, double h) {
    const double x0 = cx - w / 2, x1 = cx + w / 2, depth = w * 0.18;
    // front, side, lid, ribbon and bow
    c.fill_polygon({{x0, top + depth}, {x1, top + depth}, {x1, top + h}, {x0, top + h}}, kOrange);
    c.fill_polygon(
        {{x1, top + depth}, {x1 + depth, top}, {x1 + depth, top + h - depth}, {x1, top + h}},
        kBrown);
    c.fill_polygon({{x0, top + depth}, {x0 + depth, top}, {x1 + depth, top}, {x1, top + depth}},
                   kYellow);
    c.fill_rect(static_cast<int>(cx - 7), static_cast<int>(top + depth), 14,
                static_cast<int>(h - depth), kRed);
    c.fill_polygon({{cx - 7, top + depth},
                    {cx + 7, top + depth},
                    {cx + 7 + depth, top},
                    {cx - 7 + depth, top}},
                   kRed);
    c.fill_ellipse(cx + depth / 2 - 16, top + depth / 2 - 6, 16, 9, kRed);
    c.fill_ellipse(cx + depth / 2 + 16, top + depth / 2 - 6, 16, 9, kRed);
    c.fill_circle(cx + depth / 2, top + depth / 2 - 5, 7, kMagenta);
}

void open_box(Canvas& c, double cx, double top, double w, double h) {
    const double x0 = cx - w / 2, x1 = cx + w / 2, depth = w * 0.18;
    // inside (dark), front, side, and the lid hanging open at the back
    c.fill_polygon({{x0 - 4, top - 70},
                    {x0 + depth - 4, top - 70 - depth},
                    {x0 + depth, top},
                    {x0, top + depth}},
                   kYellow);
    c.fill_polygon({{x0, top + depth}, {x0 + depth, top}, {x1 + depth, top}, {x1, top + depth}},
                   kDarkBrown);
    c.fill_polygon({{x0, top + depth}, {x1, top + depth}, {x1, top + h}, {x0, top + h}}, kOrange);
    c.fill_polygon(
        {{x1, top + depth}, {x1 + depth, top}, {x1 + depth, top + h - depth}, {x1, top + h}},
        kBrown);
    c.fill_rect(static_cast<int>(cx - 7), static_cast<int>(top + depth), 14,
                static_cast<int>(h - depth), kRed);
}

void face(Canvas& c, double cx, double cy, double r) {
    c.fill_circle(cx, cy, r, kYellow);
    c.fill_circle(cx - r * 0.35, cy - r * 0.25, r * 0.12, kBlack);
    c.fill_circle(cx + r * 0.35, cy - r * 0.25, r * 0.12, kBlack);
    // smile: a thick arc
    for (int i = 0; i <= 20; ++i) {
        const double a = std::numbers::pi * (0.15 + 0.7 * i / 20.0);
        c.fill_circle(cx + r * 0.55 * std::cos(a), cy + r * 0.1 + r * 0.45 * std::sin(a), r * 0.08,
                      kBlack);
    }
}

void hand(Canvas& c, double cx, double cy, double angle, Rgb colour) {
    // palm and four fingers, turned by `angle`
    auto at = [&](double x, double y) {
        return Point{cx + x * std::cos(angle) - y * std::sin(angle),
                     cy + x * std::sin(angle) + y * std::cos(angle)};
    };
    std::vector<Point> palm;
    for (int i = 0; i < 24; ++i) {
        const double a = 2 * std::numbers::pi * i / 24;
        palm.push_back(at(16 * std::cos(a), 20 * std::sin(a)));
    }
    c.fill_polygon(palm, colour);
    for (int f = 0; f < 4; ++f) c.line(at(-12 + f * 8, -10), at(-14 + f * 9, -40), 7, colour);
    c.line(at(14, 4), at(30, -12), 7, colour);
}

void draw_capa(Font& f, Canvas& c) {
    c.text_centred(f, "ZIMBALOT", 46, 160, 34, kYellow, 300);
    const char* letters[] = {"A", "B", "C", "D"};
    for (int i = 0; i < 4; ++i) tile(c, f, 34 + i * 66, 74, 56, kTileColours[i], letters[i], 40);
    c.text_centred(f, "BRINCANDO COM AS LETRAS", 20, 160, 160, kWhite, 300);
    for (int i = 0; i < 5; ++i) c.star(30 + i * 65, 188, 8, 3.5, kCyan);
}

void draw_intro(Font& f, Canvas& c) {
    // A keyboard with the vowels lit up.
    const std::string rows[3] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    for (int r = 0; r < 3; ++r)
        for (size_t k = 0; k < rows[r].size(); ++k) {
            const char ch = rows[r][k];
            const bool vowel = std::string("AEIOU").find(ch) != std::string::npos;
            const int x = 12 + r * 12 + static_cast<int>(k) * 30;
            const int y = 24 + r * 34;
            c.fill_rect(x, y, 27, 30, vowel ? kYellow : kGrey);
            c.text_centred(f, std::string(1, ch), 18, x + 13, y + 15, vowel ? kBlack : kWhite);
        }
    c.fill_rect(84, 130, 150, 24, kCyan);  // space bar
    c.text_centred(f, "ESPAÇO", 14, 159, 142, kBlack);
    c.text_centred(f, "APERTE UMA TECLA", 24, 160, 178, kWhite, 300);
}

void draw_caixa(Font& f, Canvas& c) {
    closed_box(c, 150, 40, 160, 120);
    c.text_centred(f, "?", 40, 130, 120, kWhite);
    c.text_centred(f, "A E I O U", 18, 160, 186, kYellow);
}

void draw_caixaber(Font& f, Canvas& c) {
    open_box(c, 150, 90, 160, 100);
    // letters and stars flying out
    const char* vowels[] = {"A", "E", "I", "O", "U"};
    for (int i = 0; i < 5; ++i) {
        const double x = 112 + i * 34, y = 50 - (i % 2) * 22;
        c.text_centred(f, vowels[i], 34, static_cast<int>(x), static_cast<int>(y), kTileColours[i]);
    }
    c.star(40, 30, 14, 6, kYellow);
    c.star(285, 40, 14, 6, kYellow);
    c.star(270, 110, 9, 4, kCyan);
    c.star(35, 120, 9, 4, kCyan);
}

void draw_sopaletr(Font& f, Canvas& c) {
    // A bowl of letter soup with steam.
    for (int s = 0; s < 3; ++s)
        for (int i = 0; i < 10; ++i) {
            const double y = 12 + i * 5.0;
            c.fill_circle(110 + s * 50 + 7 * std::sin(i * 0.9 + s), y, 3, kWhite);
        }
    c.fill_ellipse(160, 100, 130, 22, kOrange);  // soup surface
    c.fill_polygon({{30, 100}, {290, 100}, {250, 170}, {70, 170}}, kBlue);
    c.fill_ellipse(160, 170, 90, 10, kBlue);
    c.fill_rect(120, 176, 80, 8, kBlue);  // foot of the bowl
    const char* letters[] = {"A", "B", "C", "Z", "M", "O"};
    for (int i = 0; i < 6; ++i)
        c.text_centred(f, letters[i], 20, 70 + i * 36, 100 + (i % 2 ? 6 : -6), kNavy);
    c.text_centred(f, "SOPA DE LETRAS", 18, 160, 140, kWhite, 200);
}

void draw_abcdefg(Font& f, Canvas& c) {
    for (int i = 0; i < 26; ++i) {
        const int col = i % 7, row = i / 7;
        tile(c, f, 6 + col * 44 + (row == 3 ? 44 : 0), 6 + row * 48, 42,
             kTileColours[static_cast<size_t>(i) % 6], std::string(1, static_cast<char>('A' + i)),
             30);
    }
}

void draw_interrog(Font& f, Canvas& c) {
    c.text_centred(f, "?", 110, 160, 76, kYellow);
    const char* vowels[] = {"A", "E", "I", "O", "U"};
    for (int i = 0; i < 5; ++i) tile(c, f, 24 + i * 56, 146, 48, kTileColours[i], vowels[i], 34);
}

void draw_aplauso(Font& f, Canvas& c) {
    face(c, 160, 78, 52);
    hand(c, 58, 92, -0.35, kOrange);
    hand(c, 262, 92, 0.35, kOrange);
    c.star(40, 26, 13, 5, kCyan);
    c.star(280, 26, 13, 5, kCyan);
    c.star(100, 20, 8, 3, kWhite);
    c.star(220, 20, 8, 3, kWhite);
    c.text_centred(f, "PARABÉNS!", 32, 160, 172, kYellow, 300);
}

void draw_numeros(Font& f, Canvas& c) {
    // The program draws the big digit top right (big_character_box): the
    // title keeps to the left and the tiles start below it.
    c.text_centred(f, "NÚMEROS", 26, 100, 26, kYellow, 190);
    for (int d = 0; d < 10; ++d) {
        const int col = d % 5, row = d / 5;
        tile(c, f, 16 + col * 60, 56 + row * 58, 52, kTileColours[static_cast<size_t>(d) % 6],
             std::string(1, static_cast<char>('0' + d)), 38);
    }
    // one to five dots, to count
    for (int n = 1; n <= 5; ++n) c.fill_circle(10 + n * 50, 184, 10, kYellow);
}

}  // namespace

const std::vector<std::string>& fixed_picture_names() {
    static const std::vector<std::string> names = {"capa",     "intro",    "caixa",
                                                   "caixaber", "sopaletr", "abcdefg",
                                                   "interrog", "aplauso",  "numeros"};
    return names;
}

bool draw_fixed_picture(const std::string& name, Font& font, Canvas& canvas) {
    if (name == "capa")
        draw_capa(font, canvas);
    else if (name == "intro")
        draw_intro(font, canvas);
    else if (name == "caixa")
        draw_caixa(font, canvas);
    else if (name == "caixaber")
        draw_caixaber(font, canvas);
    else if (name == "sopaletr")
        draw_sopaletr(font, canvas);
    else if (name == "abcdefg")
        draw_abcdefg(font, canvas);
    else if (name == "interrog")
        draw_interrog(font, canvas);
    else if (name == "aplauso")
        draw_aplauso(font, canvas);
    else if (name == "numeros")
        draw_numeros(font, canvas);
    else
        return false;
    return true;
}

void draw_letter_picture(const LetterEntry& e, Font& font, Canvas& c) {
    const std::string upper(1, e.letter);
    const std::string lower(1, static_cast<char>(e.letter - 'A' + 'a'));
    c.text_centred(font, upper, 150, 78, 80, kYellow, 140);
    c.text_centred(font, lower, 70, 172, 112, kCyan);
    // Below the big letter the program draws top right (big_character_box).
    braille_cell(c, braille_dots(e.letter), 238, 76, 30, 11);
    c.text_centred(font, e.word_shown, 30, 160, 178, kWhite, 310);
}

}  // namespace gen
