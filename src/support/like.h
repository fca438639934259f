#pragma once
// Wildcard masks matched against a whole text:
//   *        any run of characters, none included
//   ?        any one character
//   #        any one digit 0-9
//   [list]   any one character of the list; a-z inside it is the range from a
//            to z (lower bound first); [!list] any one character not in it;
//            "[", "?", "#" and "*" inside brackets stand for themselves, and so
//            does "-" first or last in the list
// Every other character matches itself. "[]" matches no character at all.
// A mask with an unclosed bracket or a range whose bounds are reversed is
// malformed and matches nothing.
#include <QList>
#include <QString>

namespace ruvia {

class LikeMask {
  public:
    LikeMask(const QString& mask, Qt::CaseSensitivity cs);
    bool isValid() const { return m_valid; }
    bool matches(const QString& text) const;

  private:
    enum Kind : quint8 { Literal, AnyOne, Digit, Star, Set };
    struct Token {
        Kind kind;
        char16_t ch;  // Literal (folded when letter case is ignored)
        int set = -1; // Set: index into m_sets
    };
    struct CharSet {
        bool negate = false;
        QList<QPair<char16_t, char16_t>> ranges;
        bool contains(char16_t c) const;
    };
    bool tokenMatches(const Token& t, QChar c) const;

    QList<Token> m_tokens;
    QList<CharSet> m_sets;
    Qt::CaseSensitivity m_cs;
    bool m_valid = true;
};

// Letter case ignored.
bool modLike_Text(const QString& text, const QString& mask);
// Characters compared exactly.
bool modLike_Binary(const QString& text, const QString& mask);

} // namespace ruvia
