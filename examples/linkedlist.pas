{ linkedlist: pointers and the heap. Teaches: a record that points to the
  next record (next: ^node), new and free, nil, walking a list with a
  while loop, and inserting into a list that is kept sorted. }
program linkedlist()
type
  node = record
    value: integer;
    next: ^node;
  end;
  pnode = ^node;
var head, p, q, fresh: pnode;
  i, count: integer;
  data: array [1..7] of integer = 31, 4, 15, 9, 26, 5, 3;

  procedure show(h: pnode)
  begin
    while h <> nil do
      write(h^.value, ' ');
      h := h^.next;
    end;
    writeln;
  end;

begin
  head := nil;
  for i := 1 to 7 do
    new(fresh);
    fresh^.value := data[i];
    fresh^.next := nil;
    if head = nil then
      head := fresh;
    else
      if data[i] < head^.value then
        fresh^.next := head;
        head := fresh;
      else
        p := head;
        q := p^.next;
        while q <> nil do
          if q^.value > data[i] then
            q := nil;
          else
            p := q;
            q := p^.next;
          end;
        end;
        q := p^.next;
        fresh^.next := q;
        p^.next := fresh;
      end;
    end;
    write('after ', data[i]:2, ': ');
    show(head);
  end;
  count := 0;
  while head <> nil do
    p := head;
    head := head^.next;
    free(p);
    count := count + 1;
  end;
  writeln(count, ' nodes freed');
end.
