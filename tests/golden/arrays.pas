program arrays()
const
  size = 4;
type
  point = record x, y: integer; end;
  row = array [1..size] of float;
  grid = array [1..3, 1..5] of integer;
var
  a: array [1..3] of integer = 1, 2, 3;
  f: array [1..2] of float = 1.5, 2;
  names: array [1..2] of string[8] = 'ann', 'bob';
  m: array [1..255, 1..255] of integer;
  u, v, w: array [1..size] of string[20];
  pts: array [1..10] of point;
  r: row;
  g: grid;
  t: text;
begin
  ;
end.
