// Windows-1252 letter classes and case mapping shared by the VEDRA text stages
// (normalisation, tokenising, exceptions, rules). Every function works on one
// byte; nothing here depends on the process locale, so results are the same on
// every machine.
#pragma once
#include <string>
#include <string_view>

namespace vedra {

// Code-page upper/lower casing as the Windows character functions do it for
// Windows-1252: a-z, the accented letters 224-254 (not the division sign 247),
// and the pairs š/Š, œ/Œ, ž/Ž, ÿ/Ÿ. Any other byte is returned unchanged.
char upper_case(char c);
char lower_case(char c);
std::string upper_case(std::string_view text);
std::string lower_case(std::string_view text);

// The letters of the text stages: A-Z, a-z and À Á Â Ã Ç É Ê Ì Í Ñ Ó Ô Õ Ù Ú Ü
// in both cases (the tokeniser's word characters are the same set).
bool is_word_letter(char c);
// The consonants among them: B C D F G H J K L M N P Q R S T V W X Y Z Ç Ñ, both cases.
bool is_consonant_letter(char c);
// The rules' vowels: A E I O U À Á Â Ã É Ê Ì Í Ó Ô Õ Ù Ú Ü, both cases.
bool is_vowel_letter(char c);

}  // namespace vedra
