program varpar()
type
  num = record n: integer; end;
  pnum = ^num;
var p: pnum;
  procedure setto(var target: pnum, value: integer)
  begin
    target^.n := value;
  end;
  procedure settwice(var target: pnum)
  begin
    setto(target, 7);
  end;
begin
  new(p);
  settwice(p);
  writeln(p^.n);
  free(p);
end.
