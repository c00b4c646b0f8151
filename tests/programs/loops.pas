program loops()
label back, fwd, out;
var i, j, n, s, limit, count: integer;
begin
  // a while whose condition is false at the start never runs its body
  n := 0;
  while n > 0 do writeln('never'); n := n - 1; end;
  writeln('while skipped ', n);

  // nested loops: while inside for inside repeat
  s := 0;
  n := 0;
  repeat
    n := n + 1;
    for i := 1 to n do
      j := 0;
      while j < i do
        s := s + 1;
        j := j + 1;
      end;
    end;
  until n = 3;
  writeln('nested ', s);
  for i := 1 to 3 do
    for j := 1 to i do write(j); end;
    writeln;
  end;

  // the bound of a for is evaluated again each round
  limit := 3;
  count := 0;
  for i := 1 to limit do
    count := count + 1;
    if i < 3 then limit := limit + 1; end;
    write(i, ' ');
  end;
  writeln;
  writeln(count, ' ', limit, ' ', i);
  limit := 10;
  for i := 1 to limit do
    limit := limit - 2;
    write(i, ' ');
  end;
  writeln;
  for i := 5 to 4 do writeln('never'); end;
  writeln('empty for ', i);

  // repeat runs its body once even when the condition already holds
  n := 100;
  repeat
    writeln('once ', n);
    n := n + 1;
  until n > 0;
  writeln(n);

  // goto backward, forward and out of nested loops
  n := 0;
back:
  n := n + 1;
  if n < 3 then goto back; end;
  goto fwd;
  writeln('skipped');
fwd:
  writeln('after goto ', n);
  for i := 1 to 10 do
    for j := 1 to 10 do
      if i * j = 12 then goto out; end;
    end;
  end;
out:
  writeln(i, ' ', j);

  // if / else chains
  for n := 0 to 4 do
    if n = 0 then write('zero');
    else
      if n = 1 then write('one');
      else
        if n < 4 then write('few');
        else write('many');
        end;
      end;
    end;
    write(' ');
  end;
  writeln;

  // case with single values, ranges and else
  for n := -1 to 12 do
    case n of
      0: do write('z'); end;
      1..3: do write('s'); end;
      4..9: do write('m'); end;
      10: do write('t'); end;
      else do write('?'); end;
    end;
  end;
  writeln;
  for n := 1 to 5 do
    case n * 2 of
      2..4: do write('a'); end;
      8: do write('b'); end;
    end;
  end;
  writeln('|');
end.
