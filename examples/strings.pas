{ strings: working with text, Russian included. Teaches: string[n]
  variables, joining with +, length, pos, substr, upcase and lowcase (they
  know Cyrillic letters too), comparing strings, and walking through a
  string one character at a time with substr(s, i, 1). }
program strings()
var s, t: string[60];
  word: string[20];
  i, vowels: integer;
begin
  s := 'Привет';
  t := s + ', мир!';
  writeln(t);
  writeln('length: ', length(t));
  writeln('upper:  ', upcase(t));
  writeln('lower:  ', lowcase('ЁЛКА и Ёж'));
  writeln('"мир" starts at ', pos('мир', t));
  writeln('letters 3 to 6: ', substr(t, 3, 4));
  if 'арбуз' < 'банан' then writeln('арбуз comes before банан'); end;

  word := 'programming';
  vowels := 0;
  for i := 1 to length(word) do
    if pos(substr(word, i, 1), 'aeiou') > 0 then vowels := vowels + 1; end;
  end;
  writeln(word, ' has ', vowels, ' vowels');

  t := '';
  for i := 1 to length(word) do
    t := substr(word, i, 1) + t;
  end;
  writeln('backwards: ', t);
  writeln('number to text and back: ', strtoint(inttostr(40) + '2') + 1);
end.
