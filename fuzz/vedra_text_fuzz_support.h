// Shared pieces of the VEDRA text-stage fuzz targets: a small rule set that
// uses every context symbol, and the word splitting the tokeniser does.
#pragma once
#include <string>
#include <string_view>

#include "vedra/text_chars.h"
#include "vedra/transcribe.h"

namespace vedra_fuzz {

inline constexpr std::string_view sample_rules =
    "; every context symbol at least once\n"
    "(AM)%=a~&w\n(A)M[=a~\n](A)=a\n(A)=a\n(\xC3O)=a~&w\n(\xC9)=E\n(C)+=s\n(CH)=S\n(C)=k\n"
    "(D)E\\%=dZ\n(D)=d\n(E)\\%=i\n(E)=e\n(G)+=Z\n(G)=g\n(H)=\n#(I)=y\n(I)=i\n(L)[=w\n(L)=l\n"
    "#(M)[=\n(M)=m\n(NH)=J\n(N)=n\n(O)\\%=u\n(O)=o\n(QU)+=k\n(QU)=k&w\n%(R)=R\n|(R)=R\n"
    "(R)%=r2\n(R)=r\n#(S)#=z\n(S)&=z\n(S)%=s2\n(S)=s\n_(T)I=tS\n(T)=t\n(U)=u\n(X)*=s\n"
    "(X)%=k&s\n(X)=S\n(Z)=z\n(B)=b1&b2&b3&b4&b5&b6\n";

// The words of a text as token-list items, with punctuation items between.
inline vedra::TokenList token_items(std::string_view text) {
    vedra::TokenList items;
    std::string word;
    for (const char c : std::string(text) + " ") {
        if (vedra::is_word_letter(c)) {
            word += c;
            continue;
        }
        if (!word.empty()) items.push_back("555|" + word);
        word.clear();
        if (c != ' ') items.push_back(std::string("555|") + c);
    }
    return items;
}

}  // namespace vedra_fuzz
