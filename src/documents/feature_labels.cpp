// The label bytes are generated from the readable texts in the comments:
// 1252 for the Western languages, 936 (GB2312) for Chinese. Where a hex escape
// is followed by a letter that is also a hex digit, the literal is split so
// that the escape ends where it should.
#include "documents/feature_labels.h"

namespace kelar {

// Field order: English, Chinese, Dutch, French, German, Italian, Portuguese,
// Spanish.
const LocalizedText kInputGroupLabel = {
    "Input",
    // 输入
    "\xCA\xE4\xC8\xEB",
    "Invoer",
    // Entrée
    "Entr\xE9" "e",
    "Eingabe",
    "Input",
    "Entrada",
    "Entrada",
};

const LocalizedText kEmailPrefixOptionLabel = {
    "Recognize email prefix quoting (e.g. '>>>')",
    // 识别邮件前缀引用 (e.g. '>>>')
    "\xCA\xB6\xB1\xF0\xD3\xCA\xBC\xFE\xC7\xB0\xD7\xBA\xD2\xFD\xD3\xC3 (e.g. '>>>')",
    "Herken email voorvoegsel quoting (e.g. '>>>')",
    // Reconnaître les caractères de préfixe email (ex. >>>)
    "Reconna\xEEtre les caract\xE8res de pr\xE9" "fixe email (ex. >>>)",
    // Email-Zitaten-Präfix erkennen (z.B. '>>>')
    "Email-Zitaten-Pr\xE4" "fix erkennen (z.B. '>>>')",
    "Riconoscimento virgolette dei prefissi di posta elettronica (es. '>>>')",
    "Reconhecer prefixo de e-mail (por exemplo \">>>\")",
    // Reconocer comillas de prefijo de correo electrónico (por ej. '>>>')
    "Reconocer comillas de prefijo de correo electr\xF3nico (por ej. '>>>')",
};

namespace {

// Indexed by Domain.
const LocalizedText kDomainLabels[] = {
    {
        "Aviation",
        // 航空学
        "\xBA\xBD\xBF\xD5\xD1\xA7",
        "Luchtvaart",
        "Aviation",
        "Luftfahrt",
        "Aeronautica",
        // Aviação
        "Avia\xE7\xE3o",
        // Aviación
        "Aviaci\xF3n",
    },
    {
        "Business",
        // 商业
        "\xC9\xCC\xD2\xB5",
        "Zakelijk",
        "Commerce",
        "Wirtschaft",
        "Economia",
        // Negócios
        "Neg\xF3" "cios",
        "Negocios",
    },
    {
        "Chemical",
        // 化学制品
        "\xBB\xAF\xD1\xA7\xD6\xC6\xC6\xB7",
        "Chemie",
        "Chimie",
        "Chemie",
        "Chimica",
        // Química
        "Qu\xEDmica",
        // Química
        "Qu\xEDmica",
    },
    {
        "Computer",
        // 电脑
        "\xB5\xE7\xC4\xD4",
        "Computer",
        "Informatique",
        "Computer",
        "Informatica",
        // Computação
        "Computa\xE7\xE3o",
        // Informática
        "Inform\xE1tica",
    },
    {
        "Crime",
        // 罪行
        "\xD7\xEF\xD0\xD0",
        "Misdaad",
        // Criminalité
        "Criminalit\xE9",
        // Kriminalität
        "Kriminalit\xE4t",
        "Criminologia",
        "Criminal",
        // Criminología
        "Criminolog\xED" "a",
    },
    {
        "Diplomatic",
        // 外交
        "\xCD\xE2\xBD\xBB",
        "Diplomatie",
        "Diplomatie",
        "Diplomatie",
        "Diplomazia",
        "Diplomacia",
        "Diplomacia",
    },
    {
        "Drug Terms",
        // 麻醉时效
        "\xC2\xE9\xD7\xED\xCA\xB1\xD0\xA7",
        "Geneesmiddelentermen",
        "Termes pharmaceutiques",
        "Arzneimittel",
        "Termini di farmacologia",
        "Medicamentos",
        "Farmacia",
    },
    {
        "Military",
        // 军事的
        "\xBE\xFC\xCA\xC2\xB5\xC4",
        "Militair",
        "Militaire",
        // Militär
        "Milit\xE4r",
        "Discipline militari",
        "Militar",
        "Milicia",
    },
    {
        "Nuclear",
        // 核子的
        "\xBA\xCB\xD7\xD3\xB5\xC4",
        "Kernenergie",
        // Nucléaire
        "Nucl\xE9" "aire",
        "Kernenergie",
        "Nucleare",
        "Nuclear",
        // Energía nuclear
        "Energ\xED" "a nuclear",
    },
    {
        "Special Aircraft Terminology",
        // 飞行器特殊术语
        "\xB7\xC9\xD0\xD0\xC6\xF7\xCC\xD8\xCA\xE2\xCA\xF5\xD3\xEF",
        "Speciale Vliegtuigterminologie",
        // Terminologie aéronautique spécifique
        "Terminologie a\xE9ronautique sp\xE9" "cifique",
        "Flugzeugterminologie",
        "Termini aeromobili speciali",
        // Terminologia especial para aviação
        "Terminologia especial para avia\xE7\xE3o",
        // Aeronáutica
        "Aeron\xE1utica",
    },
    {
        "Telecommunications",
        // 电讯
        "\xB5\xE7\xD1\xB6",
        "Telecommunicatie",
        // Télécommunications
        "T\xE9l\xE9" "communications",
        "Telekommunikation",
        "Telecomunicazioni",
        // Telecomunicações
        "Telecomunica\xE7\xF5" "es",
        "Telecomunicaciones",
    },
};

static_assert(sizeof kDomainLabels / sizeof kDomainLabels[0] ==
                  static_cast<int>(Domain::Telecommunications) + 1,
              "one label per domain");

}  // namespace

const LocalizedText& DomainLabel(Domain domain) {
  return kDomainLabels[static_cast<int>(domain)];
}

}  // namespace kelar
