program strs2()
var s, t: string[40];
  n: integer;

begin
  s := 'Ïðèâåò, World! ¸ëêà ¨æ';
  writeln(upcase(s));
  writeln(lowcase(s));
  t := upcase('abcxyz Àßàÿïð¸');
  writeln(t, ' ', length(t));
  s := 'hello';
  writeln(pos('', s), ' ', pos('', ''), ' ', pos('hellos', s), ' ', pos('o', s), ' ', pos('lo', s), ' ', pos('h', s));
  writeln('[', substr(s, 0, 2), '][', substr(s, 2, 100), '][', substr(s, 6, 1), '][', substr(s, 9, 2), ']');
  n := 0 - 1;
  writeln('[', substr(s, 1, 0), '][', substr(s, 5, 1), '][', substr(s, 3, n), '][', substr('', 1, 1), ']');
  if 'abc' < 'abd' then writeln('abc < abd'); end;
  if 'ab' < 'abc' then writeln('ab < abc'); end;
  if '' < 'a' then writeln('empty < a'); end;
  if 'Z' < 'a' then writeln('Z < a'); end;
  if 'z' < 'à' then writeln('z < à'); end;
  if 'ÿ' > 'à' then writeln('ÿ > à'); end;
  if '¨' > 'ÿ' then writeln('¨ > ÿ'); end;
  if 'abc' = 'abc' then writeln('abc = abc'); end;
  if 'abc' <> 'abC' then writeln('abc <> abC'); end;
  if 'b' >= 'abc' then writeln('b >= abc'); end;
  s := 'after';
  writeln(length(upcase('ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRST')), ' ', length(lowcase('ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRST')), ' ', length(substr('abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrst', 2, 200)), ' ', s);
end.
