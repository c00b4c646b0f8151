#!/usr/bin/python3
"""Differential tester: random valid programs in Tarnwell's language, each with
a twin in Free Pascal; both are compiled and run, and their outputs must agree
byte for byte.

The generator stays inside the ground the two languages share:
  - integers: 32-bit with wrap-around (+, -, *, div, mod with divisors that are
    non-zero literals other than -1, unary minus); the twin wraps every
    operation in longint(...) because Free Pascal computes in 64 bits on x86-64;
    write and writeln of integers, with widths;
  - strings: literals of ASCII letters and blanks, +, length, upcase, lowcase,
    pos with a non-empty pattern, substr with start >= 1 and count >= 0,
    inttostr, =, <>, <, > (both compare bytes); every stored value is cut to 30
    characters so no capacity is ever reached;
  - control flow: if/else, while and repeat with a step counter, for with
    small bounds (the loop variable is not read after its loop), case with
    single values, ranges and else; conditions with and/or/not, each operand of
    and/or parenthesised (the two languages rank them differently);
  - routines: procedures and functions declared before the program, value and
    var parameters of integer and string type, locals, recursion bounded by a
    depth parameter, calls only of routines declared earlier.
Left out as differences of the language: float output (the formatting is the
language's own), string widths (left-aligned and cut here), pos with an empty
pattern, substr with a start below 1 or a negative count, string capacities;
a for loop's limit that the body changes (the language evaluates it before
every round); a call inside an argument of a call of the same routine (the
language's parameters are static, so it overwrites the arguments already
passed); the order in which operands are evaluated (functions print nothing);
and/or evaluate both sides in the language (the twin uses {$B+}).
Arrays and records: `gen_structured_declarations` and `gen_structured_statement`
are the places for them once the code generator runs them.

Usage:
  difftest.py [--count N] [--seed S] [--keep DIR] [--tarnc PATH] [--budget SECONDS]
Programs beyond the language's limits (650 symbols, 64 KiB) are counted apart.
Prints "programs run: N, disagreements: D" and exits 1 when D > 0; every
disagreeing pair is kept (with both outputs) under --keep.
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# Produced programs start the way every test starts them: Wine where the host
# runs 32-bit code, else the emulating runner.
RUN_PROGRAM = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'run-program')

MAX_STR = 30  # every stored string value is cut to this length


class Gen:
    def __init__(self, rng):
        self.r = rng
        self.routines = []  # (name, kind, params [(name, type, is_var)], result type)
        self.max_callee = 1 << 30
        self.pure = False  # in a function body: no output, so the order in
        # which either compiler evaluates the operands cannot show

    # ----- expressions: each returns (dialect text, twin text[, length bound]) -----
    def int_literal(self):
        r = self.r.random()
        if r < 0.7:
            n = self.r.randint(0, 20)
        elif r < 0.9:
            n = self.r.randint(0, 100000)
        else:
            n = self.r.choice([2147483647, 65536, 1000000, 46341, 2147483646])
        return str(n), str(n)

    def int_expr(self, scope, depth):
        r = self.r.random()
        ints = scope['ints'] + scope.get('ro', [])
        if depth <= 0 or r < 0.3:
            if ints and self.r.random() < 0.65:
                v = self.r.choice(ints)
                return v, v
            return self.int_literal()
        if r < 0.62:
            op = self.r.choice(['+', '-', '*', '+', '-'])
            a = self.int_expr(scope, depth - 1)
            b = self.int_expr(scope, depth - 1)
            return f'({a[0]} {op} {b[0]})', f'longint({a[1]} {op} {b[1]})'
        if r < 0.72:
            op = self.r.choice(['div', 'mod'])
            a = self.int_expr(scope, depth - 1)
            k = self.r.choice([2, 3, 5, 7, 10, 13, 100, 65536, -2, -3, -7])
            kd = str(k) if k > 0 else f'(0 - {-k})'
            return f'({a[0]} {op} {kd})', f'longint({a[1]} {op} ({k}))'
        if r < 0.77:
            a = self.int_expr(scope, depth - 1)
            return f'(-({a[0]}))', f'longint(-({a[1]}))'
        if r < 0.85:
            s = self.str_expr(scope, depth - 1)
            if self.r.random() < 0.5:
                return f'length({s[0]})', f'tw_len({s[1]})'
            pat = self.str_literal(nonempty=True, maxlen=3)
            return f'pos({pat[0]}, {s[0]})', f'tw_pos({pat[1]}, {s[1]})'
        if r < 0.95:
            call = self.call_expr(scope, depth - 1, 'integer')
            if call:
                return call[0], call[1]
        return self.int_literal()

    def str_literal(self, nonempty=False, maxlen=8):
        n = self.r.randint(1 if nonempty else 0, maxlen)
        alphabet = 'abcdeABCDE xyz'
        t = ''.join(self.r.choice(alphabet) for _ in range(n))
        return f"'{t}'", f"'{t}'", n

    def str_expr(self, scope, depth):
        """A string expression no longer than 90 characters."""
        r = self.r.random()
        strs = scope['strs']
        if depth <= 0 or r < 0.35:
            if strs and self.r.random() < 0.6:
                v = self.r.choice(strs)
                return v, v, MAX_STR
            return self.str_literal()
        if r < 0.55:
            a = self.str_expr(scope, depth - 1)
            b = self.str_expr(scope, depth - 1)
            if a[2] + b[2] > 90:
                return a
            return f'{a[0]} + {b[0]}', f'{a[1]} + {b[1]}', a[2] + b[2]
        if r < 0.65:
            a = self.str_expr(scope, depth - 1)
            f = self.r.choice(['upcase', 'lowcase'])
            return f'{f}({a[0]})', f'{"tw_up" if f == "upcase" else "tw_low"}({a[1]})', a[2]
        if r < 0.78:
            a = self.str_expr(scope, depth - 1)
            start = self.r.randint(1, 6)
            count = self.r.randint(0, 8)
            return (f'substr({a[0]}, {start}, {count})', f'tw_copy({a[1]}, {start}, {count})', count)
        if r < 0.86:
            a = self.int_expr(scope, depth - 1)
            return f'inttostr({a[0]})', f'tw_inttostr({a[1]})', 11
        if r < 0.95:
            call = self.call_expr(scope, depth - 1, 'string')
            if call:
                return call[0], call[1], MAX_STR
        return self.str_literal()

    def call_expr(self, scope, depth, result):
        choices = [rt for rt in self.routines[:self.max_callee] if rt[1] == 'function' and rt[3] == result
                   and not any(p[2] for p in rt[2])]
        if not choices:
            return None
        name, _, params, _ = self.r.choice(choices)
        args = self.arguments(scope, depth, name, params)
        return (f'{name}({", ".join(a[0] for a in args)})', f'{name}({", ".join(a[1] for a in args)})')

    def arguments(self, scope, depth, name, params):
        """Parameters are static in the language: an argument that calls the
        routine again (or one that calls it) would overwrite the arguments
        already passed. Arguments call only routines declared before it."""
        saved = self.max_callee
        self.max_callee = min(saved, int(name[1:]))
        try:
            return [self.value_arg(scope, depth, p[1], p[0]) for p in params]
        finally:
            self.max_callee = saved

    def value_arg(self, scope, depth, typ, name=''):
        if typ == 'integer':
            e = self.int_expr(scope, depth)
            if name == 'depth':  # recursion stays shallow
                return f'({e[0]}) mod 6', f'longint(({e[1]}) mod 6)'
            return e
        e = self.str_expr(scope, depth)
        return f'substr({e[0]}, 1, {MAX_STR})', f'copy({e[1]}, 1, {MAX_STR})'

    def relation(self, scope, depth):
        is_int = self.r.random() < 0.75
        if is_int:
            a = self.int_expr(scope, depth)
            b = self.int_expr(scope, depth)
            op = self.r.choice(['<', '<=', '>', '>=', '=', '<>'])
        else:
            a = self.str_expr(scope, depth)
            b = self.str_expr(scope, depth)
            op = self.r.choice(['=', '<>', '<', '>'])
        left = a[0]
        if left.startswith('(') or left.startswith('-'):
            left = ('0 + ' if is_int else "'' + ") + left
        return f'{left} {op} {b[0]}', f'{a[1]} {op} {b[1]}'

    def condition(self, scope, depth=2):
        r = self.r.random()
        if depth <= 0 or r < 0.5:
            return self.relation(scope, 1)
        if r < 0.85:
            op = self.r.choice(['and', 'or'])
            a = self.condition(scope, depth - 1)
            b = self.condition(scope, depth - 1)
            return f'({a[0]}) {op} ({b[0]})', f'({a[1]}) {op} ({b[1]})'
        a = self.condition(scope, depth - 1)
        return f'not ({a[0]})', f'not ({a[1]})'

    # ----- statements: each returns (dialect lines, twin lines) -----
    def block(self, scope, depth, n):
        d, t = [], []
        for _ in range(n):
            a, b = self.statement(scope, depth)
            d += a
            t += b
        return d, t

    def assign(self, scope):
        if scope['strs'] and self.r.random() < 0.35:
            v = self.r.choice(scope['strs'])
            e = self.str_expr(scope, 3)
            return [f'{v} := substr({e[0]}, 1, {MAX_STR});'], [f'{v} := copy({e[1]}, 1, {MAX_STR});']
        v = self.r.choice(scope['ints'])
        e = self.int_expr(scope, 3)
        return [f'{v} := {e[0]};'], [f'{v} := {e[1]};']

    def output(self, scope):
        if self.pure:
            return self.assign(scope)
        items_d, items_t = [], []
        for _ in range(self.r.randint(1, 3)):
            if self.r.random() < 0.6:
                e = self.int_expr(scope, 2)
                if self.r.random() < 0.25:
                    w = self.r.randint(1, 12)
                    items_d.append(f'{e[0]}:{w}')
                    items_t.append(f'{e[1]}:{w}')
                else:
                    items_d.append(e[0])
                    items_t.append(e[1])
            else:
                e = self.str_expr(scope, 2)
                items_d.append(e[0])
                items_t.append(e[1])
            items_d.append("' '")
            items_t.append("' '")
        return [f'writeln({", ".join(items_d)});'], [f'writeln({", ".join(items_t)});']

    def proc_call(self, scope):
        if self.pure:
            return self.assign(scope)
        procs = [rt for rt in self.routines[:self.max_callee] if rt[1] == 'procedure']
        if not procs:
            return self.output(scope)
        name, _, params, _ = self.r.choice(procs)
        ad, at = [], []
        values = self.arguments(scope, 2, name, params)
        for (_, typ, is_var), a in zip(params, values):
            pool = scope['ints'] if typ == 'integer' else scope['strs']
            if is_var:
                if not pool:
                    return self.output(scope)
                v = self.r.choice(pool)
                ad.append(v)
                at.append(v)
            else:
                ad.append(a[0])
                at.append(a[1])
        return [f'{name}({", ".join(ad)});'], [f'{name}({", ".join(at)});']

    def statement(self, scope, depth):
        r = self.r.random()
        if depth <= 0 or r < 0.3:
            return self.assign(scope)
        if r < 0.45:
            return self.output(scope)
        if r < 0.55:
            return self.proc_call(scope)
        if r < 0.68:
            c = self.condition(scope)
            a = self.block(scope, depth - 1, self.r.randint(1, 3))
            if self.r.random() < 0.5:
                return ([f'if {c[0]} then'] + indent(a[0]) + ['end;'],
                        [f'if {c[1]} then begin'] + indent(a[1]) + ['end;'])
            b = self.block(scope, depth - 1, self.r.randint(1, 2))
            return ([f'if {c[0]} then'] + indent(a[0]) + ['else'] + indent(b[0]) + ['end;'],
                    [f'if {c[1]} then begin'] + indent(a[1]) + ['end else begin'] + indent(b[1]) + ['end;'])
        if r < 0.76 and scope['loops']:
            i = scope['loops'].pop()
            lo = self.r.randint(-2, 3)
            # The language evaluates the limit before every round: it reads
            # only the enclosing loops' variables, which the body cannot change.
            hi = self.int_expr(dict(scope, ints=[], strs=[]), 1)
            inner = dict(scope, loops=list(scope['loops']), ro=scope.get('ro', []) + [i])
            hi_d, hi_t = f'{lo} + ({hi[0]}) mod 5', f'{lo} + longint(({hi[1]}) mod 5)'
            body = self.block(inner, depth - 1, self.r.randint(1, 3))
            scope['loops'].append(i)
            return ([f'for {i} := {lo} to {hi_d} do'] + indent(body[0]) + ['end;'],
                    [f'for {i} := {lo} to {hi_t} do begin'] + indent(body[1]) + ['end;'])
        if r < 0.84 and scope['counters']:
            k = scope['counters'].pop()
            limit = self.r.randint(0, 6)
            inner = dict(scope, counters=list(scope['counters']))
            c = self.condition(inner, 1)
            body = self.block(inner, depth - 1, self.r.randint(1, 3))
            scope['counters'].append(k)
            if self.r.random() < 0.5:
                return ([f'{k} := 0;', f'while ({k} < {limit}) and ({c[0]}) do'] + indent(body[0] + [f'{k} := {k} + 1;'])
                        + ['end;'],
                        [f'{k} := 0;', f'while ({k} < {limit}) and ({c[1]}) do begin']
                        + indent(body[1] + [f'{k} := {k} + 1;']) + ['end;'])
            return ([f'{k} := 0;', 'repeat'] + indent(body[0] + [f'{k} := {k} + 1;'])
                    + [f'until ({k} >= {limit}) or ({c[0]});'],
                    [f'{k} := 0;', 'repeat'] + indent(body[1] + [f'{k} := {k} + 1;'])
                    + [f'until ({k} >= {limit}) or ({c[1]});'])
        if r < 0.92:
            sel = self.int_expr(scope, 2)
            used = set()
            arms_d, arms_t = [], []
            for _ in range(self.r.randint(1, 4)):
                lo = self.r.randint(-3, 8)
                hi = lo + (self.r.randint(1, 3) if self.r.random() < 0.3 else 0)
                if any(v in used for v in range(lo, hi + 1)):
                    continue
                used.update(range(lo, hi + 1))
                label = str(lo) if lo == hi else f'{lo}..{hi}'
                if lo < 0:
                    continue  # a negative case label is no literal in the language
                body = self.block(scope, depth - 1, self.r.randint(1, 2))
                arms_d += [f'  {label}: do'] + indent(body[0], 2) + ['  end;']
                arms_t += [f'  {label}: begin'] + indent(body[1], 2) + ['  end;']
            if not arms_d:
                return self.assign(scope)
            if self.r.random() < 0.6:
                body = self.block(scope, depth - 1, 1)
                arms_d += ['  else do'] + indent(body[0], 2) + ['  end;']
                arms_t += ['  else begin'] + indent(body[1], 2) + ['  end;']
            return ([f'case ({sel[0]}) mod 10 of'] + arms_d + ['end;'],
                    [f'case longint(({sel[1]}) mod 10) of'] + arms_t + ['end;'])
        return self.gen_structured_statement(scope, depth)

    def gen_structured_statement(self, scope, depth):
        # Arrays and records go here once the code generator runs them.
        return self.output(scope)

    def gen_structured_declarations(self):
        # Array and record types and variables go here (dialect, twin).
        return [], []

    # ----- routines and the program -----
    def routine(self, index):
        name = f'r{index}'
        is_func = self.r.random() < 0.6
        result = self.r.choice(['integer', 'integer', 'string']) if is_func else None
        params = []
        recursive = is_func and result == 'integer' and self.r.random() < 0.4
        if recursive:
            params.append(('depth', 'integer', False))
        for k in range(self.r.randint(0 if not recursive else 0, 3)):
            typ = self.r.choice(['integer', 'integer', 'string'])
            is_var = not is_func and self.r.random() < 0.5
            params.append((f'p{k}', typ, is_var))
        scope = {
            'ints': [p[0] for p in params if p[1] == 'integer'] + ['x', 'y'],
            'strs': [p[0] for p in params if p[1] == 'string'] + ['t'],
            'loops': ['i', 'j'], 'counters': ['k'],
        }
        # The depth parameter is read, never written.
        writable = dict(scope, ints=[v for v in scope['ints'] if v != 'depth'])
        body_d, body_t = [], []
        # Locals start defined: the language keeps them between calls, Pascal does not.
        init_d = ['x := 1;', 'y := 2;', "t := 'q';"]
        init_t = ['x := 1;', 'y := 2;', "t := 'q';"]
        # Value parameters are read and written: a copy in both languages.
        self.pure = is_func
        a, b = self.block(writable if not recursive else writable, 2, self.r.randint(2, 5))
        body_d += a
        body_t += b
        if recursive:
            e = self.int_expr(writable, 2)
            rest = [(p[0], p[1]) for p in params[1:]]
            base = self.int_expr(writable, 2)
            call_args_d = ', '.join(['depth - 1'] + [p for p, _ in rest])
            call_args_t = ', '.join(['depth - 1'] + [p for p, _ in rest])
            body_d = ['if depth <= 0 then', f'  return {base[0]};', 'end;'] + body_d + [
                f'x := {name}({call_args_d});', f'return ({e[0]}) + x;']
            body_t = ['if depth <= 0 then begin', f'  exit({base[1]});', 'end;'] + body_t + [
                f'x := {name}({call_args_t});', f'exit(longint(({e[1]}) + x));']
        elif is_func:
            if result == 'integer':
                e = self.int_expr(writable, 3)
                body_d.append(f'return {e[0]};')
                body_t.append(f'exit({e[1]});')
            else:
                e = self.str_expr(writable, 3)
                body_d.append(f'return substr({e[0]}, 1, {MAX_STR});')
                body_t.append(f'exit(copy({e[1]}, 1, {MAX_STR}));')
        formals_d = ', '.join(f'{"var " if v else ""}{n}: {t}' for n, t, v in params)
        formals_t = '; '.join(f'{"var " if v else ""}{n}: {"longint" if t == "integer" else "shortstring"}'
                              for n, t, v in params)
        head_d = (f'function {name}({formals_d}): {result}' if is_func else f'procedure {name}({formals_d})')
        res_t = 'longint' if result == 'integer' else 'shortstring'
        head_t = (f'function {name}({formals_t}): {res_t};' if is_func else f'procedure {name}({formals_t});')
        dialect = [head_d, 'var x, y, i, j, k: integer;', '  t: string[100];', 'begin'] + indent(
            init_d + body_d) + ['end;', '']
        twin = [head_t, 'var x, y, i, j, k: longint;', '  t: str100;', 'begin'] + indent(
            init_t + body_t) + ['end;', '']
        self.pure = False
        self.routines.append((name, 'function' if is_func else 'procedure', params, result))
        return dialect, twin

    def program(self):
        d, t = [], []
        for i in range(self.r.randint(0, 5)):
            a, b = self.routine(i)
            d += a
            t += b
        ints = [f'v{i}' for i in range(4)]
        strs = [f's{i}' for i in range(2)]
        scope = {'ints': ints, 'strs': strs, 'loops': ['i1', 'i2', 'i3'], 'counters': ['c1', 'c2']}
        sd, st = self.gen_structured_declarations()
        init_d = [f'{v} := {self.r.randint(-5, 50)};'.replace(':= -', ':= 0 - ') for v in ints] + [
            f"{s} := '{s}';" for s in strs]
        init_t = [line.replace(':= 0 - ', ':= -') for line in init_d]
        body_d, body_t = self.block(scope, 3, self.r.randint(4, 10))
        final_d = [f"writeln({', '.join(ints)}, ' ', s0, '|', s1);"]
        d += (['program diff()', f'var {", ".join(ints + ["i1", "i2", "i3", "c1", "c2"])}: integer;',
               f'  {", ".join(strs)}: string[100];'] + sd + ['begin'] + indent(init_d + body_d + final_d)
              + ['end.'])
        t = (['{$mode objfpc}{$H-}{$Q-}{$R-}{$B+}', 'program twin;', 'type str100 = string[100];',
              'function tw_inttostr(n: longint): shortstring; begin str(n, result); end;',
              'function tw_pos(p, s: shortstring): longint; begin result := pos(p, s); end;',
              'function tw_copy(s: shortstring; a, n: longint): shortstring; begin result := copy(s, a, n); end;',
              'function tw_up(s: shortstring): shortstring; begin result := upcase(s); end;',
              'function tw_low(s: shortstring): shortstring; begin result := lowercase(s); end;',
              'function tw_len(s: shortstring): longint; begin result := length(s); end;', ''] + t
             + [f'var {", ".join(ints + ["i1", "i2", "i3", "c1", "c2"])}: longint;', f'  {", ".join(strs)}: str100;']
             + st + ['begin'] + indent(init_t + body_t + [f"writeln({', '.join(ints)}, ' ', s0, '|', s1);"])
             + ['end.'])
        return '\r\n'.join(d) + '\r\n', '\n'.join(t) + '\n'


def indent(lines, n=2):
    return [' ' * n + line for line in lines]


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--count', type=int, default=20)
    ap.add_argument('--seed', type=int, default=None)
    ap.add_argument('--keep', default=None)
    ap.add_argument('--tarnc', default=None)
    ap.add_argument('--budget', type=float, default=None, help='stop after this many seconds')
    args = ap.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    tarnc = args.tarnc or os.path.join(root, 'build', 'release', 'compiler', 'tarnc')
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    keep = args.keep or os.path.join(root, 'build', 'difftest')
    os.makedirs(keep, exist_ok=True)
    work = tempfile.mkdtemp(prefix='difftest.')
    env = dict(os.environ)
    env.setdefault('LOCALAPPDATA', work)
    env.setdefault('WINEDEBUG', '-all')
    env.setdefault('WINEDLLOVERRIDES', 'mscoree,mshtml=')
    # One wine server for the whole run, kept for 30 s after its last program.
    subprocess.run(['wineserver', '-p30'], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    start = time.time()
    n = 0
    ran = disagreements = skipped = 0
    # A campaign stopped from outside still prints its figures.
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt))
    try:
        for n in range(args.count):
            if args.budget and time.time() - start > args.budget:
                break
            gen = Gen(random.Random(seed + n))
            dialect, twin = gen.program()
            src = os.path.join(work, 'diff.pas')
            with open(src, 'w', newline='') as f:
                f.write(dialect)
            with open(os.path.join(work, 'twin.pas'), 'w') as f:
                f.write(twin)
            exe = os.path.join(work, 'diff.exe')
            c = run([tarnc, src, '/O:' + os.path.join(work, 'out.txt'), '/E:' + exe], env=env, timeout=60)
            with open(os.path.join(work, 'out.txt'), 'rb') as f:
                report = f.read().decode('cp1251')
            if c.returncode != 0 and ('Symboltable overflow' in report or 'Error 202:' in report):
                skipped += 1  # beyond the language's limits: 650 symbols, 64 KiB
                continue
            if c.returncode != 0:
                ours, why = report, 'tarnc rejected the program'
            else:
                # Into a file, not a pipe: Wine's own processes would hold a
                # pipe open for seconds after the program ended.
                with open(os.path.join(work, 'ours.txt'), 'wb') as f:
                    subprocess.run([RUN_PROGRAM, exe], env=env, cwd=work, timeout=60, stdout=f,
                                   stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
                with open(os.path.join(work, 'ours.txt'), 'rb') as f:
                    ours, why = f.read().decode('latin-1'), ''
            fc = run(['fpc', '-O-', '-v0', 'twin.pas'], cwd=work, timeout=120)
            if fc.returncode != 0:
                print(f'seed {seed + n}: fpc rejected the twin:\n{fc.stdout.decode()}', file=sys.stderr)
                theirs = None
            else:
                theirs = run([os.path.join(work, 'twin')], cwd=work, timeout=60).stdout.decode('latin-1')
            ran += 1
            expected = theirs.replace('\n', '\r\n') if theirs is not None else None
            if why or expected is None or ours != expected:
                disagreements += 1
                where = os.path.join(keep, f'seed{seed + n}')
                os.makedirs(where, exist_ok=True)
                shutil.copy(src, where)
                shutil.copy(os.path.join(work, 'twin.pas'), where)
                with open(os.path.join(where, 'tarnwell.out'), 'w') as f:
                    f.write(ours)
                with open(os.path.join(where, 'fpc.out'), 'w') as f:
                    f.write(expected or '')
                print(f'seed {seed + n}: disagreement {why} (kept in {where})', file=sys.stderr)
    except KeyboardInterrupt:
        pass
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f'programs run: {ran}, disagreements: {disagreements}, beyond the limits: {skipped} '
          f'(seeds {seed}..{seed + n})')
    return 1 if disagreements else 0


if __name__ == '__main__':
    sys.exit(main())
