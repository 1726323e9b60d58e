// The names of the program's fixed recordings and pictures, in one place so
// that the code that opens them and the data set that provides them agree.
// A name has no extension: sounds are opened as name + ".wav", pictures as
// name + ".PCX", both in the program folder.
#pragma once
#include <array>
#include <string_view>

namespace app::assets {

// Pictures.
inline constexpr std::string_view capa = "capa";          // title picture
inline constexpr std::string_view intro = "intro";        // introduction picture
inline constexpr std::string_view caixa = "caixa";        // the closed box
inline constexpr std::string_view caixaber = "caixaber";  // the open box
inline constexpr std::string_view sopaletr = "sopaletr";  // background before each key
inline constexpr std::string_view abcdefg = "abcdefg";    // alphabet (space key)
inline constexpr std::string_view interrog = "interrog";  // vowel game
inline constexpr std::string_view aplauso_picture = "aplauso";
inline constexpr std::string_view numeros = "numeros";  // number activity

// Sounds of the start-up and the key loop.
inline constexpr std::string_view mustlink = "mustlink";
inline constexpr std::string_view intro1 = "intro1";
inline constexpr std::string_view f2 = "f2";
inline constexpr std::string_view intro2 = "intro2";  // played through the wave-out player
inline constexpr std::string_view intro3 = "intro3";
inline constexpr std::string_view aptec = "aptec";
inline constexpr std::string_view plin = "plin";
inline constexpr std::string_view saidessa = "saidessa";
inline constexpr std::string_view cansado = "cansado";
inline constexpr std::string_view continua = "continua";
inline constexpr std::string_view chaaaaan = "chaaaaan";
inline constexpr std::string_view abcdefgh = "abcdefgh";
inline constexpr std::string_view fechando = "fechando";
inline constexpr std::string_view tchan = "tchan";

// Sounds of the activities.
inline constexpr std::string_view musabert = "musabert";
inline constexpr std::string_view abriu = "abriu";
inline constexpr std::string_view boaideia = "boaideia";
inline constexpr std::string_view nanani = "nanani";
inline constexpr std::string_view aeiou = "aeiou";
inline constexpr std::string_view aeiou2 = "aeiou2";
inline constexpr std::string_view tingting = "tingting";
inline constexpr std::string_view busca_a = "buscaA";
inline constexpr std::string_view busca_e = "buscaE";
inline constexpr std::string_view busca_i = "buscaI";
inline constexpr std::string_view busca_o = "buscaO";
inline constexpr std::string_view busca_u = "buscaU";
inline constexpr std::string_view frio = "frio";
inline constexpr std::string_view gelado = "gelado";
inline constexpr std::string_view morno = "morno";
inline constexpr std::string_view pelando = "pelando";
inline constexpr std::string_view quente = "quente";
inline constexpr std::string_view aplauso_sound = "aplauso";
inline constexpr std::string_view parabens = "parabens";
inline constexpr std::string_view sounumer = "sounumer";
inline constexpr std::string_view toc = "toc";
inline constexpr std::string_view aeioufim = "aeioufim";

inline constexpr std::array fixed_pictures{capa,    intro,    caixa,           caixaber, sopaletr,
                                           abcdefg, interrog, aplauso_picture, numeros};

inline constexpr std::array fixed_sounds{
    mustlink, intro1,   f2,       intro2,   intro3,        aptec,    plin,     saidessa, cansado,
    continua, chaaaaan, abcdefgh, fechando, tchan,         musabert, abriu,    boaideia, nanani,
    aeiou,    aeiou2,   tingting, busca_a,  busca_e,       busca_i,  busca_o,  busca_u,  frio,
    gelado,   morno,    pelando,  quente,   aplauso_sound, parabens, sounumer, toc,      aeioufim};

// Optional per-key files: the letter's picture L.PCX, its sounds L1.WAV to
// L6.WAV, and a digit's sound d.WAV. A missing one is skipped silently.
inline constexpr int letter_sound_count = 6;

}  // namespace app::assets
