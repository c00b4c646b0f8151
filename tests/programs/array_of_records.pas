program recarr()
type
  item = record
    qty: integer;
    label1: string[8];
  end;
var items: array [1..3] of item;
  i, total: integer;
begin
  for i := 1 to 3 do items[i].qty := i * 10; end;
  items[2].label1 := 'two';
  total := 0;
  for i := 1 to 3 do total := total + items[i].qty; end;
  writeln(total, ' ', items[2].label1);
end.
