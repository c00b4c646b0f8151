# Generated benchmark programs, each rendered three ways: in Tarnwell, as
# standard Pascal (Free Pascal) and as C (tcc, gcc), so that all three print
# the same text.
#
# A program is a small tree (globals, routines, main statements) that the
# render_* functions turn into source text. The generators keep to the ground
# the three languages share:
#   - integers stay far inside 32 bits (every growing value is reduced with
#     mod), so no renderer depends on wrap-around, and there is no unary minus;
#   - div and mod truncate towards zero in all three;
#   - strings stay well below their capacity, so no copy is cut;
#   - a write item with a width is always an integer (Tarnwell pads strings
#     on the right, Pascal on the left); no integer literal is written on its
#     own (Tarnwell writes no code for one);
#   - a for loop's bound is never changed in its body (Tarnwell evaluates it
#     every round, Pascal once), and the control variable is not read after
#     the loop;
#   - a function's return is its last statement; there is no recursion;
#   - no string literal consists of digits only (Tarnwell keeps one entry per
#     literal text, shared with integer literals).
# Tarnwell ends output lines with CR LF, the others with LF.

# --- the tree -------------------------------------------------------------
# Expressions: ('int', n) | ('var', name) | ('str', text)
#   | ('bin', op, left, right) with op in + - * div mod (integers)
#   | ('cat', left, right) (strings) | ('len', e) | ('call', name, [args])
# Conditions: ('cmp', op, left, right) with op in < <= > >= = <>
#   | ('and', c1, c2) | ('or', c1, c2)
# Statements: ('set', name, e) | ('sset', name, e) (string target)
#   | ('for', var, lo, hi, body) | ('while', cond, body)
#   | ('repeat', body, cond) | ('if', cond, then, else_or_None)
#   | ('write', items, newline) with items [(e, width_or_None, 'int'|'str')]
#   | ('call', name, [args]) | ('return', e)
# Declarations: (name, 'int') | (name, 'str', capacity) | (name, 'arr', size)
# Routine: dict(kind='proc'|'func', name, params=[names], locals=[decls], body)


def I(n):
    return ('int', n)


def V(name):
    return ('var', name)


def S(text):
    return ('str', text)


def B(op, a, b):
    return ('bin', op, a, b)


class Program:
    def __init__(self, name):
        self.name = name
        self.routines = []
        self.globals = []
        self.main = []


# --- rendering --------------------------------------------------------------
PREC = {'+': 1, '-': 1, '*': 2, 'div': 2, 'mod': 2}


def expr(e, lang, parent=0, right=False):
    kind = e[0]
    if kind == 'int':
        return str(e[1])
    if kind == 'var':
        return e[1]
    if kind == 'str':
        return c_string(e[1]) if lang == 'c' else "'" + e[1] + "'"
    if kind == 'bin':
        op, p = e[1], PREC[e[1]]
        sym = {'div': '/', 'mod': '%'}.get(op, op) if lang == 'c' else op
        text = f"{expr(e[2], lang, p)} {sym} {expr(e[3], lang, p, True)}"
        return f"({text})" if p < parent or (right and p == parent) else text
    if kind == 'cat':
        if lang == 'c':
            return f"cat({expr(e[1], lang)}, {expr(e[2], lang)})"
        return f"{expr(e[1], lang, 1)} + {expr(e[2], lang, 1, True)}"
    if kind == 'len':
        return f"(int)strlen({expr(e[1], lang)})" if lang == 'c' else f"length({expr(e[1], lang)})"
    if kind == 'call':
        return f"{e[1]}({', '.join(expr(a, lang) for a in e[2])})"
    raise ValueError(kind)


def cond(c, lang):
    kind = c[0]
    if kind == 'cmp':
        op = c[1]
        if lang == 'c':
            op = {'=': '==', '<>': '!='}.get(op, op)
        text = f"{expr(c[2], lang)} {op} {expr(c[3], lang)}"
        # Pascal's and/or bind tighter than comparisons; the others need no
        # parentheses around one comparison.
        return text
    joint = {'c': {'and': '&&', 'or': '||'}}.get(lang, {}).get(kind, kind)
    parts = []
    for sub in c[1:]:
        text = cond(sub, lang)
        parts.append(f"({text})" if lang != 'tarn' else text)
    return f" {joint} ".join(parts)


def c_string(text):
    return '"' + text.replace('\\', '\\\\').replace('"', '\\"').replace('\n', '\\n') + '"'


def statements(body, lang, depth, out, func=None):
    pad = '  ' * depth
    for st in body:
        kind = st[0]
        if kind in ('set', 'sset'):
            if lang == 'c' and kind == 'sset':
                out.append(f"{pad}sset({st[1]}, sizeof {st[1]}, {expr(st[2], lang)});")
            elif lang == 'c':
                out.append(f"{pad}{st[1]} = {expr(st[2], lang)};")
            else:
                out.append(f"{pad}{st[1]} := {expr(st[2], lang)};")
        elif kind == 'for':
            v, lo, hi = st[1], expr(st[2], lang), expr(st[3], lang)
            if lang == 'c':
                out.append(f"{pad}for ({v} = {lo}; {v} <= {hi}; {v}++) {{")
            else:
                out.append(f"{pad}for {v} := {lo} to {hi} do" + (' begin' if lang == 'pas' else ''))
            statements(st[4], lang, depth + 1, out, func)
            out.append(pad + ('}' if lang == 'c' else 'end;'))
        elif kind == 'while':
            if lang == 'c':
                out.append(f"{pad}while ({cond(st[1], lang)}) {{")
            else:
                out.append(f"{pad}while {cond(st[1], lang)} do" + (' begin' if lang == 'pas' else ''))
            statements(st[2], lang, depth + 1, out, func)
            out.append(pad + ('}' if lang == 'c' else 'end;'))
        elif kind == 'repeat':
            out.append(pad + ('do {' if lang == 'c' else 'repeat'))
            statements(st[1], lang, depth + 1, out, func)
            if lang == 'c':
                out.append(f"{pad}}} while (!({cond(st[2], lang)}));")
            else:
                out.append(f"{pad}until {cond(st[2], lang)};")
        elif kind == 'if':
            if lang == 'c':
                out.append(f"{pad}if ({cond(st[1], lang)}) {{")
            else:
                out.append(f"{pad}if {cond(st[1], lang)} then" + (' begin' if lang == 'pas' else ''))
            statements(st[2], lang, depth + 1, out, func)
            if st[3]:
                out.append(pad + {'c': '} else {', 'pas': 'end else begin', 'tarn': 'else'}[lang])
                statements(st[3], lang, depth + 1, out, func)
            out.append(pad + ('}' if lang == 'c' else 'end;'))
        elif kind == 'write':
            items, newline = st[1], st[2]
            if lang == 'c':
                fmt, args = '', []
                for e, width, typ in items:
                    if e[0] == 'str':
                        fmt += e[1].replace('%', '%%')
                    else:
                        fmt += '%' + (str(width) if width else '') + ('d' if typ == 'int' else 's')
                        args.append(expr(e, lang))
                fmt += '\n' if newline else ''
                out.append(f"{pad}printf({', '.join([c_string(fmt)] + args)});")
            else:
                word = 'writeln' if newline else 'write'
                if not items:
                    out.append(f"{pad}{word};")
                else:
                    parts = [expr(e, lang) + (f":{width}" if width else '') for e, width, _ in items]
                    out.append(f"{pad}{word}({', '.join(parts)});")
        elif kind == 'call':
            out.append(f"{pad}{st[1]}({', '.join(expr(a, lang) for a in st[2])});")
        elif kind == 'empty':  # a statement list may not be empty in Tarnwell
            out.append(pad + ';')
        elif kind == 'return':
            if lang == 'c':
                out.append(f"{pad}return {expr(st[1], lang)};")
            elif lang == 'pas':
                out.append(f"{pad}{func} := {expr(st[1], lang)};")
            else:
                out.append(f"{pad}return {expr(st[1], lang)};")
        else:
            raise ValueError(kind)


def decl_groups(decls):
    """Declarations grouped by type, at most 10 names a list, in order."""
    groups = []
    for d in decls:
        key = d[1:]
        if groups and groups[-1][0] == key and len(groups[-1][1]) < 10:
            groups[-1][1].append(d[0])
        else:
            groups.append((key, [d[0]]))
    return groups


def type_text(key, lang):
    if key[0] == 'int':
        return {'tarn': 'integer', 'pas': 'longint'}[lang]
    if key[0] == 'str':
        return f"string[{key[1]}]"
    if key[0] == 'arr':
        return f"array [1..{key[1]}] of " + {'tarn': 'integer', 'pas': 'longint'}[lang]
    raise ValueError(key)


def var_section(decls, lang, pad, out):
    if not decls:
        return
    if lang == 'c':
        for key, names in decl_groups(decls):
            if key[0] == 'int':
                out.append(f"{pad}int {', '.join(names)};")
            elif key[0] == 'str':
                out.append(f"{pad}char {', '.join(n + f'[{key[1] + 1}]' for n in names)};")
            else:
                out.append(f"{pad}int {', '.join(n + f'[{key[1] + 1}]' for n in names)};")
        return
    first = True
    for key, names in decl_groups(decls):
        lead = 'var ' if first else '    '
        out.append(f"{pad}{lead}{', '.join(names)}: {type_text(key, lang)};")
        first = False


C_PRELUDE = r'''#include <stdio.h>
#include <string.h>

/* Tarnwell strings: assignment copies at most the target's capacity; a
   concatenation yields a new value (a few kept at a time). */
static void sset(char *to, size_t size, const char *from) {
  size_t n = strlen(from);
  if (n > size - 1) n = size - 1;
  memmove(to, from, n);
  to[n] = 0;
}
static char *cat(const char *a, const char *b) {
  static char buf[8][300];
  static int next;
  char *r = buf[next++ & 7];
  sset(r, sizeof buf[0], a);
  strncat(r, b, sizeof buf[0] - 1 - strlen(r));
  return r;
}
'''


def render(prog, lang):
    out = []
    if lang == 'tarn':
        for r in prog.routines:
            params = ', '.join(f"{p}: integer" for p in r['params'])
            head = 'procedure' if r['kind'] == 'proc' else 'function'
            tail = ': integer' if r['kind'] == 'func' else ''
            out.append(f"{head} {r['name']}({params}){tail}")
            var_section(r['locals'], lang, '', out)
            out.append('begin')
            statements(r['body'], lang, 1, out)
            out.append('end;')
            out.append('')
        out.append(f"program {prog.name}()")
        var_section(prog.globals, lang, '', out)
        out.append('begin')
        statements(prog.main or [('empty',)], lang, 1, out)
        out.append('end.')
    elif lang == 'pas':
        out.append(f"program {prog.name};")
        var_section(prog.globals, lang, '', out)
        out.append('')
        for r in prog.routines:
            params = '; '.join(f"{p}: longint" for p in r['params'])
            params = f"({params})" if params else ''
            if r['kind'] == 'proc':
                out.append(f"procedure {r['name']}{params};")
            else:
                out.append(f"function {r['name']}{params}: longint;")
            var_section(r['locals'], lang, '', out)
            out.append('begin')
            statements(r['body'], lang, 1, out, r['name'])
            out.append('end;')
            out.append('')
        out.append('begin')
        statements(prog.main, lang, 1, out)
        out.append('end.')
    elif lang == 'c':
        out.append(C_PRELUDE)
        for d in prog.globals:
            var_section([d], lang, 'static ', out)
        out.append('')
        for r in prog.routines:
            params = ', '.join(f"int {p}" for p in r['params']) or 'void'
            ret = 'void' if r['kind'] == 'proc' else 'int'
            out.append(f"static {ret} {r['name']}({params}) {{")
            var_section(r['locals'], lang, '  ', out)
            statements(r['body'], lang, 1, out)
            out.append('}')
            out.append('')
        out.append('int main(void) {')
        statements(prog.main, lang, 1, out)
        out.append('  return 0;')
        out.append('}')
    else:
        raise ValueError(lang)
    return '\n'.join(out) + '\n'


def lines(prog):
    return render(prog, 'tarn').count('\n')


# --- the programs -----------------------------------------------------------
def empty():
    p = Program('empty')
    return p


def _step(n):
    """A procedure with a counting loop, a condition and output."""
    a, b = V('a'), V('b')
    body = [
        ('set', 's', I(0)),
        ('for', 'i', I(1), a, [
            ('set', 's', B('mod', B('+', B('+', V('s'), B('*', V('i'), b)), I(n)), I(10007))),
        ]),
        ('if', ('cmp', '>', V('s'), I(n * 7 + 20)), [
            ('write', [(S('step '), None, 'str'), (a, None, 'int'), (S(' sum '), None, 'str'), (V('s'), None, 'int')], True),
        ], [
            ('write', [(S('small '), None, 'str'), (V('s'), 6, 'int')], True),
        ]),
        ('write', [(S('a = '), None, 'str'), (a, None, 'int'), (S(', b = '), None, 'str'), (b, None, 'int')], True),
        ('write', [(S('remainder '), None, 'str'), (B('mod', V('s'), I(1000)), 5, 'int')], True),
    ]
    return dict(kind='proc', name=f"step{n}", params=['a', 'b'],
                locals=[('i', 'int'), ('s', 'int')], body=body)


def _calc(n):
    """A function with a while loop and a repeat loop."""
    x, y = V('x'), V('y')
    body = [
        ('set', 'r', x),
        ('set', 'k', I(0)),
        ('while', ('cmp', '<', V('k'), y), [
            ('set', 'r', B('mod', B('+', B('*', V('r'), I(3)), V('k')), I(9973))),
            ('set', 'k', B('+', V('k'), I(1))),
        ]),
        ('repeat', [
            ('set', 'k', B('-', V('k'), I(2))),
        ], ('cmp', '<', V('k'), I(1))),
        ('write', [(S('calc '), None, 'str'), (x, None, 'int'), (S(' '), None, 'str'), (y, None, 'int'),
                   (S(' -> '), None, 'str'), (V('r'), None, 'int')], True),
        ('return', B('+', V('r'), V('k'))),
    ]
    return dict(kind='func', name=f"calc{n}", params=['x', 'y'],
                locals=[('r', 'int'), ('k', 'int')], body=body)


def _label(n):
    """A procedure over strings: concatenation, length and a two-part condition."""
    v = V('v')
    body = [
        ('sset', 't', S(f"item{n}")),
        ('sset', 'u', ('cat', ('cat', V('t'), S('-')), S('tag'))),
        ('set', 'm', B('+', ('len', V('u')), v)),
        ('if', ('and', ('cmp', '>', V('m'), I(300)), ('cmp', '<', v, I(900))), [
            ('write', [(V('u'), None, 'str'), (S(' long '), None, 'str'), (V('m'), None, 'int')], True),
        ], [
            ('write', [(V('u'), None, 'str'), (S(' short '), None, 'str'), (V('m'), None, 'int')], True),
        ]),
        ('write', [(S('label '), None, 'str'), (V('t'), None, 'str'), (S(' has '), None, 'str'),
                   (('len', V('t')), None, 'int'), (S(' characters'), None, 'str')], True),
    ]
    return dict(kind='proc', name=f"label{n}", params=['v'],
                locals=[('t', 'str', 20), ('u', 'str', 30), ('m', 'int')], body=body)


def realistic(target, arrays=0, name='bench'):
    """About `target` lines of a learner's program: globals, procedures and
    functions with parameters, loops, conditions, integer and string
    expressions and output. `arrays` global arrays of 255 integers are
    declared and never used."""
    p = Program(name)
    p.globals = [(f"g{k}", 'int') for k in range(4)] + [('total', 'int'), ('gi', 'int'), ('gs', 'str', 60)]
    p.globals += [(f"a{k}", 'arr', 255) for k in range(arrays)]
    start = [('set', f"g{k}", I(k + 1)) for k in range(4)] + [('set', 'total', I(0)), ('sset', 'gs', S('run'))]
    finish = [
        ('for', 'gi', I(1), I(3), [
            ('set', 'total', B('mod', B('+', B('*', V('total'), I(7)), V('gi')), I(100003))),
        ]),
        ('write', [(S('total '), None, 'str'), (V('total'), None, 'int'), (S(' '), None, 'str'), (V('gs'), None, 'str')], True),
    ]
    main = []
    n = 0
    while True:
        kind = n % 3
        if kind == 0:
            p.routines.append(_step(n))
            main.append(('call', f"step{n}", [B('+', V(f"g{n % 4}"), I(n % 5 + 1)), I(n % 3 + 1)]))
            g = f"g{(n + 1) % 4}"
            main.append(('set', g, B('mod', B('+', V(g), I(n)), I(23))))
        elif kind == 1:
            p.routines.append(_calc(n))
            main.append(('set', 'total', B('mod', B('+', V('total'), ('call', f"calc{n}", [V(f"g{n % 4}"), I(n % 4 + 2)])), I(100003))))
        else:
            p.routines.append(_label(n))
            main.append(('call', f"label{n}", [B('mod', V('total'), I(1000))]))
            if n % 6 == 5:
                main.append(('sset', 'gs', ('cat', V('gs'), S('+'))))
        n += 1
        p.main = start + main + finish
        if lines(p) >= target:
            return p


_REPORT_TEXTS = [
    'Section report', '==============', 'The figures below come from the counters.',
    'Each line shows one entry and its running value.', 'Nothing here is read from the keyboard.',
    'Entries are numbered from one.', 'Totals are printed at the end of each part.',
    '--------------------------------', 'Notes:', 'The values repeat every few sections.',
    'End of the section.', 'Please keep this page for the lesson.',
]


def _report(n):
    """A procedure that is mostly output: fixed lines, values and a short table."""
    k = V('k')
    body = [('set', 'v', B('*', k, I(3)))]
    texts = _REPORT_TEXTS
    for j in range(6):
        body.append(('write', [(S(texts[(n + j) % len(texts)]), None, 'str')], True))
    body.append(('write', [(S('Section '), None, 'str'), (k, None, 'int'), (S(' of the report'), None, 'str')], True))
    for j in range(6, 12):
        body.append(('write', [(S(texts[(n + j) % len(texts)]), None, 'str')], True))
    body.append(('write', [(S('value: '), None, 'str')], False))
    body.append(('write', [(V('v'), 6, 'int')], True))
    body.append(('write', [], True))
    for j in range(8):
        body.append(('write', [(S(texts[(n * 5 + j) % len(texts)]), None, 'str')], True))
    body.append(('for', 'i', I(1), I(3), [
        ('write', [(S('  entry '), None, 'str'), (V('i'), None, 'int'), (S(' of section '), None, 'str'), (k, None, 'int')], True),
    ]))
    for j in range(8):
        body.append(('write', [(S(texts[(n * 7 + j) % len(texts)]), None, 'str')], True))
    body.append(('write', [(S('section total '), None, 'str'), (V('v'), 8, 'int')], True))
    body.append(('write', [(S(texts[n % len(texts)]), None, 'str')], True))
    return dict(kind='proc', name=f"report{n}", params=['k'],
                locals=[('i', 'int'), ('v', 'int')], body=body)


def output(target, name='report'):
    """About `target` lines of procedures that mostly write fixed text."""
    p = Program(name)
    n = 0
    while True:
        p.routines.append(_report(n))
        p.main.append(('call', f"report{n}", [I(n + 1)]))
        n += 1
        if lines(p) >= target:
            return p
