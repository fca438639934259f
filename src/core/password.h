#pragma once
// The stored form of the remembered password: not readable at a glance, but
// no secret either (no key; anyone who knows the rule can read it back).
#include <QString>

namespace ruvia {

// Four hex digits per character, last character first: 255 - its ANSI code,
// then a random byte that carries nothing.
QString EncodePassword(const QString& password);
// "" when the length is not a multiple of four. Digits in either case.
QString DecodePassword(const QString& stored);

} // namespace ruvia
