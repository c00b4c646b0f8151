program declarations()
label
  m;
const
  k = 5;
  t = 'abc';
  x = 2.5;
type
  tp = record
    a: integer;
    s: string[3];
  end;
var
  i: integer;
  s: string[10];
  a: array[1..10] of integer;
  f: text;
  b: array[1..2] of string[5] = 'abc', 'de';
  r: tp;
  q: ^tp;
  v: array[1..3] of tp;
  w: array[1..2, 1..3] of float;
begin
;
end.
