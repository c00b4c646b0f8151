program shelves()
type
  item = record
    name: string[5];
    qty: integer;
    price: float;
    link: ^item;
  end;
  pitem = ^item;
  shelf = array [1..3] of item;
var s: shelf;
  grid: array [1..2, 1..3] of item;
  p, q: pitem;
  i, j: integer;
  total: float;

  function allqty(var x: shelf): integer
  var i, n: integer;
  begin
    n := 0;
    for i := 1 to 3 do n := n + x[i].qty; end;
    return n;
  end;

  procedure restock(var x: shelf, k: integer)
  begin
    x[k].qty := x[k].qty + 100;
  end;

begin
  for i := 1 to 3 do
    s[i].qty := i * 10;
  end;
  s[1].name := 'apples';
  s[2].name := 'fig';
  s[3].name := s[2].name + 's';
  s[1].price := 100000;
  s[2].price := -70000;
  s[3].price := 0.5;
  total := 0;
  for i := 1 to 3 do
    total := total + s[i].price;
    writeln(s[i].name, ' ', s[i].qty, s[i].price:10:1);
  end;
  writeln(total:10:1);
  j := 40000;
  s[3].price := j;
  writeln(s[3].price:10:1);
  new(p);
  p^.qty := 99;
  s[2].link := p;
  q := s[2].link;
  writeln(q^.qty);
  if s[1].link = nil then writeln('no link'); end;
  for i := 1 to 2 do
    for j := 1 to 3 do grid[i, j].qty := i * 10 + j; end;
  end;
  grid[2, 3].name := 'corner!';
  writeln(grid[2, 3].qty, ' ', grid[2, 3].name, ' ', grid[1, 2].qty, ' [', grid[1, 3].name, ']');
  writeln(allqty(s));
  restock(s, 2);
  writeln(s[2].qty, ' ', allqty(s));
  free(p);
end.
