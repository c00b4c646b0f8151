program cmd()
var s: string[128];
  short: string[10];
  n: integer;
begin
  n := paramcount();
  writeln(n);
  writeln(paramstr(1), ' ', paramstr(2), ' ', paramstr(24));
  s := paramstr(3);
  writeln(length(s), ' ', substr(s, 1, 5), ' ', substr(s, 125, 4));
  s := paramstr(n - 1);
  writeln(s);
  s := paramstr(n);
  writeln('[', s, ']');
  s := paramstr(n + 5);
  writeln('[', s, ']');
  s := getcommandline();
  writeln(length(s));
  short := getcommandline();
  writeln(length(short));
  writeln('done');
end.
