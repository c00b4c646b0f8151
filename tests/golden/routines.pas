procedure hello()
begin
  ;
end;

function twice(x: integer, var y: float, s: string): integer
label done;
const k = 2;
var t: integer;
begin
  ;
end;

program routines()
type
  point = record x, y: integer; end;
  ppoint = ^point;
  vec = array [1..3] of integer;
var
  g: integer;
  procedure inner(var p: ppoint, q: point, v: vec)
  var z: float;
  begin
    ;
  end;
function outer(var r: point): ppoint
begin
  ;
end;
var
  h: string[5];
begin
  ;
  ;
end.
