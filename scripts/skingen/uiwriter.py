"""Writes Qt Designer .ui files for the skin from a small tree of nodes.

A node is W(class, name, ...) for a widget, L(kind, ...) for a layout and
S(orientation) for a spacer. Property values: str, bool, int, float,
Size(w, h), Rect(x, y, w, h), Enum("Qt::Horizontal"), Set("Qt::AlignCenter").
Dynamic properties (the system's own attributes such as "group",
"textKey", "source") go in `dyn`.
"""
from xml.sax.saxutils import escape


class Size:
    def __init__(self, w, h):
        self.w, self.h = w, h


class Rect:
    def __init__(self, x, y, w, h):
        self.x, self.y, self.w, self.h = x, y, w, h


class Enum:
    def __init__(self, value):
        self.value = value


class Set:
    def __init__(self, value):
        self.value = value


class W:
    def __init__(self, cls, name, props=None, dyn=None, layout=None, children=None, stretch=None):
        self.cls, self.name = cls, name
        self.props = props or {}
        self.dyn = dyn or {}
        self.layout = layout
        self.children = children or []
        self.stretch = stretch


class L:
    def __init__(self, kind, items, name=None, margins=(0, 0, 0, 0), spacing=0, align=None):
        self.kind, self.items, self.name = kind, items, name
        self.margins, self.spacing, self.align = margins, spacing, align


class S:
    def __init__(self, orientation="h", w=0, h=0, fixed=False):
        self.orientation, self.w, self.h, self.fixed = orientation, w, h, fixed


class Item:
    """A layout item with an alignment."""
    def __init__(self, node, align):
        self.node, self.align = node, align


_counter = [0]


def _auto(prefix):
    _counter[0] += 1
    return "%s_%d" % (prefix, _counter[0])


def _value(v):
    if isinstance(v, bool):
        return "<bool>%s</bool>" % ("true" if v else "false")
    if isinstance(v, int):
        return "<number>%d</number>" % v
    if isinstance(v, float):
        return "<double>%g</double>" % v
    if isinstance(v, Size):
        return "<size><width>%d</width><height>%d</height></size>" % (v.w, v.h)
    if isinstance(v, Rect):
        return "<rect><x>%d</x><y>%d</y><width>%d</width><height>%d</height></rect>" % (v.x, v.y, v.w, v.h)
    if isinstance(v, Enum):
        return "<enum>%s</enum>" % v.value
    if isinstance(v, Set):
        return "<set>%s</set>" % v.value
    return "<string>%s</string>" % escape(str(v))


def _props(out, indent, props, dyn):
    pad = " " * indent
    for k, v in props.items():
        out.append('%s<property name="%s">%s</property>' % (pad, k, _value(v)))
    for k, v in dyn.items():
        out.append('%s<property name="%s" stdset="0">%s</property>' % (pad, k, _value(v)))


def _widget(out, indent, w):
    pad = " " * indent
    out.append('%s<widget class="%s" name="%s">' % (pad, w.cls, w.name))
    _props(out, indent + 1, w.props, w.dyn)
    if w.layout is not None:
        _layout(out, indent + 1, w.layout)
    for child in w.children:
        _widget(out, indent + 1, child)
    out.append("%s</widget>" % pad)


def _layout(out, indent, lay):
    pad = " " * indent
    name = lay.name or _auto(lay.kind.lower())
    out.append('%s<layout class="%s" name="%s">' % (pad, lay.kind, name))
    l, t, r, b = lay.margins
    for key, val in (("spacing", lay.spacing), ("leftMargin", l), ("topMargin", t),
                     ("rightMargin", r), ("bottomMargin", b)):
        out.append('%s <property name="%s"><number>%d</number></property>' % (pad, key, val))
    stretches = []
    for item in lay.items:
        node = item.node if isinstance(item, Item) else item
        stretches.append(str(node.stretch) if isinstance(node, W) and node.stretch is not None else "0")
    if any(s != "0" for s in stretches) and lay.kind in ("QHBoxLayout", "QVBoxLayout"):
        out.append('%s <property name="stretch"><string>%s</string></property>' % (pad, ",".join(stretches)))
    for item in lay.items:
        node, align = (item.node, item.align) if isinstance(item, Item) else (item, None)
        attr = ' alignment="%s"' % align if align else ""
        out.append("%s <item%s>" % (pad, attr))
        if isinstance(node, S):
            orient = "Qt::Horizontal" if node.orientation == "h" else "Qt::Vertical"
            out.append('%s  <spacer name="%s">' % (pad, _auto("spacer")))
            out.append('%s   <property name="orientation"><enum>%s</enum></property>' % (pad, orient))
            if node.fixed:
                out.append('%s   <property name="sizeType"><enum>QSizePolicy::Fixed</enum></property>' % pad)
            out.append('%s   <property name="sizeHint" stdset="0"><size><width>%d</width><height>%d</height></size></property>'
                       % (pad, node.w, node.h))
            out.append("%s  </spacer>" % pad)
        elif isinstance(node, L):
            _layout(out, indent + 2, node)
        else:
            _widget(out, indent + 2, node)
        out.append("%s </item>" % pad)
    out.append("%s</layout>" % pad)


def write_ui(path, root, window_class, custom=None, comment=None):
    """custom: {class: extends}; every custom class is a container."""
    out = ['<?xml version="1.0" encoding="UTF-8"?>']
    if comment:
        out.append("<!-- %s -->" % comment)
    out.append('<ui version="4.0">')
    out.append(" <class>%s</class>" % window_class)
    _widget(out, 1, root)
    if custom:
        out.append(" <customwidgets>")
        for cls, extends in custom.items():
            out.append("  <customwidget><class>%s</class><extends>%s</extends><container>1</container></customwidget>"
                       % (cls, extends))
        out.append(" </customwidgets>")
    out.append("</ui>")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")
