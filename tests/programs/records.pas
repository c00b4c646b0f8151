program recs()
type
  point = record
    x, y: integer;
    name: string[10];
  end;
var p, q: point;
begin
  p.x := 3;
  p.y := 4;
  p.name := 'corner';
  q.x := p.x * 2;
  q.y := p.y + p.x;
  writeln(p.name, ' ', p.x, ',', p.y);
  writeln(q.x + q.y);
end.
