// The program's pictures, drawn for children with low vision: dark ground,
// bright large shapes, few details.
#pragma once
#include <string>
#include <vector>

#include "tools/gen/canvas.h"

namespace gen {

constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 200;

// Where the program draws the big character over a letter picture or the
// digits picture, in picture pixels: the window box x 420..574, y 10..130
// over a picture doubled from window row 35, with a small margin. It must
// hold only background, or the character hides what the child must see.
struct PictureBox {
    int x0, y0, x1, y1;  // x1, y1 exclusive
};
constexpr PictureBox big_character_box{206, 0, 292, 52};

struct LetterEntry {
    char letter = 'A';
    std::string word_shown;   // upper case, UTF-8 ("ABELHA")
    std::string word_spoken;  // what the voice says for the word
    std::string sentence;     // a short sentence with the word
};

// The fixed picture names the program shows.
const std::vector<std::string>& fixed_picture_names();

// Draws the named fixed picture; false for an unknown name.
bool draw_fixed_picture(const std::string& name, Font& font, Canvas& canvas);
void draw_letter_picture(const LetterEntry& entry, Font& font, Canvas& canvas);

}  // namespace gen
