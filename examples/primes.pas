{ primes: prime numbers two ways. Teaches: a function with a result
  (return), a loop that stops early, and the sieve of Eratosthenes on an
  array (array upper bounds go up to 255). }
program primes()
var sieve: array [1..255] of integer;
  i, k, count, last: integer;

  function isprime(n: integer): integer
  var d: integer;
  begin
    if n < 2 then return 0; end;
    d := 2;
    while d * d <= n do
      if n mod d = 0 then return 0; end;
      d := d + 1;
    end;
    return 1;
  end;

begin
  write('Primes below 50:');
  for i := 1 to 50 do
    if isprime(i) = 1 then write(' ', i); end;
  end;
  writeln;

  for i := 1 to 255 do sieve[i] := 1; end;
  sieve[1] := 0;
  for i := 2 to 15 do
    if sieve[i] = 1 then
      k := i * i;
      while k <= 255 do
        sieve[k] := 0;
        k := k + i;
      end;
    end;
  end;
  count := 0;
  for i := 1 to 255 do
    if sieve[i] = 1 then
      count := count + 1;
      last := i;
    end;
  end;
  writeln('The sieve finds ', count, ' primes up to 255; the last is ', 251, '.');
  if isprime(251) = 1 then writeln('251 is prime: both ways agree.'); end;
end.
