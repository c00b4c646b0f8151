program lists()
type
  node = record
    value: integer;
    next: ^node;
  end;
  pnode = ^node;
  tree = record
    key: integer;
    left, right: ^tree;
  end;
  ptree = ^tree;
var head, p, q, prev: pnode;
  root: ptree;
  i, count: integer;

  procedure push(var h: pnode, v: integer)
  var n: pnode;
  begin
    new(n);
    n^.value := v;
    n^.next := h;
    h := n;
  end;

  procedure make(var r: pnode, v: integer)
  begin
    new(r);
    r^.value := v;
  end;

  procedure drop(var r: pnode)
  begin
    free(r);
  end;

  procedure show(h: pnode)
  begin
    while h <> nil do
      write(h^.value, ' ');
      h := h^.next;
    end;
    writeln;
  end;

  function insert(t: ptree, k: integer): ptree
  var sub: ptree;
  begin
    if t = nil then
      new(t);
      t^.key := k;
      return t;
    end;
    if k < t^.key then
      sub := t^.left;
      sub := insert(sub, k);
      t^.left := sub;
    else
      sub := t^.right;
      sub := insert(sub, k);
      t^.right := sub;
    end;
    return t;
  end;

  procedure walk(t: ptree)
  var sub: ptree;
  begin
    if t <> nil then
      sub := t^.left;
      walk(sub);
      write(t^.key, ' ');
      sub := t^.right;
      walk(sub);
    end;
  end;

  function size(t: ptree): integer
  var l, r: ptree;
  begin
    if t = nil then return 0; end;
    l := t^.left;
    r := t^.right;
    return 1 + size(l) + size(r);
  end;

begin
  head := nil;
  for i := 1 to 5 do push(head, i * i); end;
  show(head);
  prev := nil;
  p := head;
  while p <> nil do
    if p^.value = 9 then
      q := p;
      p := p^.next;
      prev^.next := p;
      free(q);
      if q = nil then writeln('deleted 9'); end;
    else
      prev := p;
      p := p^.next;
    end;
  end;
  show(head);
  make(q, 100);
  q^.next := head;
  head := q;
  show(head);
  count := 0;
  while head <> nil do
    p := head;
    head := head^.next;
    free(p);
    count := count + 1;
  end;
  writeln(count, ' freed');
  make(q, 1);
  drop(q);
  if q = nil then writeln('dropped'); end;
  if head = nil then writeln('empty'); end;
  root := nil;
  root := insert(root, 50);
  root := insert(root, 30);
  root := insert(root, 70);
  root := insert(root, 20);
  root := insert(root, 40);
  root := insert(root, 60);
  root := insert(root, 80);
  root := insert(root, 35);
  walk(root);
  writeln;
  writeln(size(root));
end.
