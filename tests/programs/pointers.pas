program ptrs()
type
  node = record
    value: integer;
    next: ^node;
  end;
  pnode = ^node;
var p, q: pnode;
begin
  new(p);
  p^.value := 42;
  q := p;
  writeln(q^.value);
  if p = q then writeln('same'); end;
  q := nil;
  if q = nil then writeln('nil'); end;
  free(p);
end.
