#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets, tests/fuzz/corpus/<target>/,
from the cases of the unit tests, in the input forms the targets read
(see the comment at the top of each *_fuzzer.cpp and fuzz_input.h).

Run it again after changing a form or adding a case. Inputs kept from fuzzing
(findings) live beside the seeds under names starting with "finding-"; this
script leaves those alone.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def utf16le(text):
    return text.encode("utf-16-le", "surrogatepass")


def entry(name, value):
    return '<t:Option Name="' + name + '">' + value + "</t:Option>"


def text_with_form(text, upper_bits=64):
    """The form byte of fuzz_input.h, then the text: Latin-1 when it fits."""
    if all(ord(c) <= 0xFF for c in text):
        return bytes([(upper_bits << 1) & 0xFE]) + text.encode("latin-1")
    return bytes([((upper_bits << 1) | 1) & 0xFF]) + utf16le(text)


OPTION_LIST = {
    "empty": "",
    "no-entries": "<x>SourceLanguage=ps</x>",
    "surrounding-text": "<x>" + entry("A", "1") + "junk\n" + entry("B", "") + "</x>",
    "first-wins": entry("A", "1") + entry("A", "2") + entry("B", "3") + entry("B", ""),
    "empty-name-stops": entry("A", "1") + entry("", "x") + entry("B", "2"),
    "missing-close": entry("A", "1") + '<t:Option Name="B">2' + '<t:Option Name="C">3',
    "missing-separator": entry("A", "1") + '<t:Option Name="B',
    "open-at-end": '<t:Option Name="',
    "separator-in-later-entry": '<t:Option Name="A</t:Option>' + entry("B", "2"),
    "case-and-spacing": '<t:option Name="A">1</t:option><t:Option  Name="A">1</t:Option>'
                        "<t:Option Name='A'>1</t:Option>",
    "extra-attribute": '<t:Option Name="A" B="c">v</t:Option>',
    "values-verbatim": entry("A", " a&amp;b ") + entry("B", "\r\n\t<x/>\r\n"),
    "nested": '<t:Option Name="A">' + entry("B", "2") + "</t:Option>",
    "beyond-ascii": entry("\u540d\U0001f600", "x\0y") + entry("\u00e9", "\u00e9"),
    "engine-options": "<Options>" + entry("SourceLanguage", "ps")
                      + entry("TranslationLanguage", "en") + entry("UILanguage", "fr")
                      + entry("TDs_0", "3") + "</Options>",
    "tds-gap": entry("TDs_0", "3") + entry("TDs_1", "1") + entry("TDs_3", "5"),
    "tds-empty-first": entry("TDs_0", "") + entry("TDs_1", "2"),
    "tds-leading-zeros": entry("TDs_00", "1") + entry("TDs_01", "2"),
    "tds-many": "".join(entry("TDs_%d" % n, "1") for n in range(12)),
    "split-map": "A\x011\x01B\x01\x01\x01x",
}

XML_ESCAPE = {
    "empty": "",
    "markup": "Tom & Jerry <x>",
    "reference": "&amp;&#7;",
    "controls": "A\u0007B\t\n\r\0\u0001\u001f\u007f\u0085\u009f",
    "kept": " '\"\u00a0\u00e9\u4e2d\u6587\U0001f600",
    "edges": "<<x>>\u0002abc\u0002",
    "lone-surrogate": "a\ud800b",
}

UTF8_TEXT = {
    "ascii": "A\u007f",
    "two-bytes": "\u0080\u07ff\u00e9",
    "three-bytes": "\u0800\u20ac\uffff",
    "pair": "\U0001f600\U0010ffff",
    "lone-high": "\ud800A",
    "lone-low": "\udc00",
    "high-at-end": "A\ud83d",
    "reversed-pair": "\ude00\ud83d",
    "bom": "\ufeff",
    "embedded-nul": "A\0B",
    "pashto": "\u0633\u0644\u0627\u0645 \u06a9\u0648\u0631",
}

UTF8_BYTES = {
    "two-bytes": b"\xc3\xa9",
    "three-bytes": b"\xe2\x82\xac",
    "four-bytes": b"\xf0\x9f\x98\x80",
    "bom": b"\xef\xbb\xbfA",
    "overlong": b"\xc0\xaf",
    "stray-continuation": b"\x80",
    "unchecked-trail": b"\xc3\x28",
    "past-ffff": b"\xef\xff\xff",
    "above-10ffff": b"\xf5\x80\x80\x80",
    "five-bytes": b"\xf8\x88\x80\x80\x80",
    "six-bytes": b"\xfc\x84\x80\x80\x80\x80",
    "surrogate-value": b"\xed\xa0\x80",
    "surrogate-pair-forms": b"\xed\xa0\xbd\xed\xb8\x80",
    "too-short": b"A\xe2",
    "nul-completes": b"A\xe2\x82",
    "nul-wraps": b"A\xc0",
    "nul-byte": b"A\0B",
    "overlong-nul": b"A\xc0\x80B",
    "nul-as-trail": b"A\xe2\0X",
}

SINGLE_BYTE_PAGES = [1252, 437, 850, 2, 1253, 1254, 1255, 1256]


def single_byte_seeds():
    seeds = {}
    every_byte = bytes(range(1, 256))
    for index, page in enumerate(SINGLE_BYTE_PAGES):
        seeds["bytes-%d" % page] = bytes([index]) + every_byte
        seeds["nul-%d" % page] = bytes([index]) + b"A\0B"
    wide = {
        1252: "\u20ac\u0081\u00ff\u0100\u0101A\U0001f600A\0B",
        437: "\u00e9\u2591\u00a0\u20ac",
        850: "\u0131\u00d7",
        2: "\u2126\u03a9",
    }
    for index, page in enumerate(SINGLE_BYTE_PAGES[:4]):
        seeds["wide-%d" % page] = bytes([index | 8]) + utf16le(wide[page])
    return seeds


PREPARE_LANGUAGES = ["ps", "en", "tr", "fa", "", "EN", "ar", "p"]

PREPARE_TEXT = [
    ("empty", "ps", ""),
    ("pashto", "ps", "\u0633\u0644\u0627\u0645"),
    ("digits", "ps", "12345"),
    ("punctuation", "ps", "?!..."),
    ("latin", "ps", "hello world"),
    ("numbering-pashto", "ps", "1. \u0633\u0644\u0627\u0645"),
    ("latin-before-pashto", "ps", "Kabul \u0633\u0644\u0627\u0645 \u06a9\u0648\u0631"),
    ("numbering-en", "en", "12. Hello"),
    ("numbering-two-left", "en", "1. ab"),
    ("numbering-short", "en", "1. a"),
    ("two-characters", "en", "1a"),
    ("normalised", "en", "a\u2026b\u00a0c\u2003d"),
    ("turkish", "tr", "\u00c7ok"),
    ("presentation-form", "ps", "\ufe8d"),
    ("past-fc3f", "ps", "\ufc40"),
    ("long-run", "en", "a" * 200),
    ("long-run-after-break", "en", "b" * 100 + " " + "c" * 150),
    ("long-pashto-run", "ps", "\u0633" * 130 + "\u2026" + "\u0644" * 130),
    ("quotes", "fa", "\u201c\u0633\u0644\u0627\u0645\u201d \u060c \u061f"),
]


def prepare_text_seeds():
    seeds = {}
    for name, language, text in PREPARE_TEXT:
        control = PREPARE_LANGUAGES.index(language)
        seeds[name] = bytes([control]) + utf16le(text)
    seeds["kept-prefix"] = bytes([16]) + utf16le("1. \u0633\u0644\u0627\u0645")
    # The alphabet form: ASCII as it stands, higher bytes pick characters.
    seeds["alphabet"] = bytes([8]) + b"1. " + bytes(range(0x80, 0x100))
    return seeds


def write(target, seeds):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        if name.startswith("seed-"):
            os.remove(os.path.join(folder, name))
    for name, data in seeds.items():
        with open(os.path.join(folder, "seed-" + name), "wb") as f:
            f.write(data)


def main():
    write("option_list", {k: text_with_form(v) for k, v in OPTION_LIST.items()})
    write("xml_escape", {k: text_with_form(v) for k, v in XML_ESCAPE.items()})
    write("utf8_round_trip", {k: utf16le(v) for k, v in UTF8_TEXT.items()})
    write("utf8_decode", UTF8_BYTES)
    write("single_byte", single_byte_seeds())
    write("prepare_text", prepare_text_seeds())
    return 0


if __name__ == "__main__":
    sys.exit(main())
