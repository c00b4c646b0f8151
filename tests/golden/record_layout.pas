program records()
type
  point = record
    x, y: integer;
    s: string[10];
  end;
  node = record
    value: float;
    next: ^point;
    label1: string[3];
  end;
  ppoint = ^point;
var
  p: point;
  q: ppoint;
  r: ^point;
  n1, n2: node;
begin
  ;
end.
