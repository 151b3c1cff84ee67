"""Windows-1252 <-> str, as the report and the tx14 front end read it."""

from typing import Optional

_REPLACEMENT = "\ufffd"
_THETA = "\u03b8"


def _table(f8_theta: bool) -> str:
    chars = []
    for b in range(256):
        if b == 0x09 or 0x20 <= b < 0x7F:
            chars.append(chr(b))
        elif 0x80 <= b < 0xA0:
            try:
                chars.append(bytes([b]).decode("cp1252"))
            except UnicodeDecodeError:  # the five bytes the code page leaves undefined
                chars.append(_REPLACEMENT)
        elif b >= 0xA0:
            chars.append(_THETA if (b == 0xF8 and f8_theta) else chr(b))
        else:
            chars.append(_REPLACEMENT)  # C0 controls and DEL never reach a terminal
    return "".join(chars)


# Report texts use byte 0xF8 for the theta of "(E\xf8)*"; texts written by
# people (unit labels) mean the letter o with a stroke.
_REPORT_TABLE = _table(True)
_TEXT_TABLE = _table(False)


def report_text(data: bytes) -> str:
    return "".join(_REPORT_TABLE[b] for b in data)


def plain_text(data: bytes) -> str:
    return "".join(_TEXT_TABLE[b] for b in data)


def encode(text: str) -> "tuple[Optional[bytes], str]":
    """The Windows-1252 bytes of text, or None and the reason it has none."""
    if text.isascii() and text.isprintable():  # the usual text, quickly
        return text.encode("ascii"), ""
    for ch in text:
        cp = ord(ch)
        if cp < 0x20 or cp == 0x7F or 0x80 <= cp < 0xA0:
            return None, "the text holds a control character"
    try:
        return text.encode("cp1252"), ""
    except UnicodeEncodeError as e:
        bad = text[e.start]
        shown = bad if bad.isprintable() and not ("\ud800" <= bad <= "\udfff") else "\ufffd"
        return None, 'the character "%s" has no Windows-1252 code' % shown
