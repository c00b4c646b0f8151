program recs2()
type
  person = record
    name: string[6];
    age: integer;
    height: float;
    next: ^person;
  end;
  pperson = ^person;
var a, b: person;
  p, q: pperson;
  n: integer;

  procedure grow(var r: person, years: integer)
  begin
    r.age := r.age + years;
  end;

  procedure show(r: person)
  begin
    writeln(r.name, ' ', r.age, ' ', r.height:10:1);
  end;

begin
  a.name := 'Alexander';
  a.age := 30;
  a.height := 100000;
  b.height := -70000;
  n := 40000;
  b.age := n;
  b.name := a.name;
  show(a);
  show(b);
  grow(b, 5);
  writeln(b.age);
  new(p);
  if p^.next = nil then writeln('new block is zeroed: [', p^.name, '] ', p^.age); end;
  p^.name := 'Bo';
  p^.age := 7;
  p^.height := 1.25;
  a.next := p;
  q := a.next;
  if q = p then writeln('same ', q^.name, ' ', q^.age, q^.height:6:2); end;
  q := a.next;
  if q <> nil then writeln('not nil'); end;
  q^.height := n;
  writeln(p^.height:10:1);
  free(p);
  if p = nil then writeln('freed'); end;
end.
