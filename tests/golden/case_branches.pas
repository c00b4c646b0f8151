program cases()
var n, a: integer;
begin
  case n of
    1: do a := 1; end;
    2..4: do a := 2; end;
    else do a := 0; end;
  end;
  case n + 1 of
    7: do a := 7; end;
  end;
end.
