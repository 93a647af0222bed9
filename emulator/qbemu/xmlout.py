"""Reply text: escaping and the <qdbapi> envelope."""

import re

from .errors import errtext

# Characters XML 1.0 cannot carry at all; a stored value holding one would make
# the whole reply unreadable, so they travel as U+FFFD.
_BAD_XML_CHARS = re.compile("[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff]")


def esc(text):
    text = str(text)
    if _BAD_XML_CHARS.search(text):
        text = _BAD_XML_CHARS.sub("\ufffd", text)
    # A raw carriage return would reach every XML parser as a line feed.
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace("\r", "&#13;")


def attr(text):
    return '"' + esc(text).replace('"', "&quot;") + '"'


def _head(tag, attrs):
    return tag + "".join(" %s=%s" % (k, attr(v)) for k, v in (attrs or {}).items())


def start_tag(tag, attrs=None):
    return "<%s>" % _head(tag, attrs)


def el(tag, text="", attrs=None):
    text = "" if text is None else str(text)
    if text == "":
        return "<%s/>" % _head(tag, attrs)
    return "<%s>%s</%s>" % (_head(tag, attrs), esc(text), tag)


def envelope(action, code, detail="", udata=None, body=""):
    parts = ['<?xml version="1.0" ?>\n<qdbapi>\n',
             el("action", action), "\n",
             el("errcode", code), "\n",
             el("errtext", errtext(code)), "\n"]
    if detail:
        parts += [el("errdetail", detail), "\n"]
    if udata is not None:
        parts += [el("udata", udata), "\n"]
    parts += [body, "</qdbapi>\n"]
    return "".join(parts)
