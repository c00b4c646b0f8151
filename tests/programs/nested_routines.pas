program nested()
type
  vec = array [1..3] of integer;
var
  v: vec;
  total: integer;
  function sum(w: vec): integer
  var s, i: integer;
  begin
    s := 0;
    for i := 1 to 3 do s := s + w[i]; end;
    return s;
  end;
  procedure fill(k: integer)
  begin
    writeln(k);
  end;
begin
  v[1] := 1;
  v[2] := 2;
  v[3] := 3;
  total := sum(v);
  fill(total);
end.
