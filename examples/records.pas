{ records: grouping data. Teaches: a record type with fields of different
  types, an array of records (class[i].name), a record variable (best.mark), float fields
  and finding the best pupil and the average mark. }
program records()
type
  pupil = record
    name: string[20];
    mark: integer;
    weight: float;
  end;
  group = array [1..4] of pupil;
var class: group;
  best: pupil;
  i, total: integer;
begin
  class[1].name := 'Anna';
  class[1].mark := 5;
  class[1].weight := 41.5;
  class[2].name := 'Boris';
  class[2].mark := 3;
  class[2].weight := 52.25;
  class[3].name := 'Vera';
  class[3].mark := 4;
  class[3].weight := 38.75;
  class[4].name := 'Gleb';
  class[4].mark := 4;
  class[4].weight := 60;

  best.name := class[1].name;
  best.mark := class[1].mark;
  total := 0;
  for i := 1 to 4 do
    writeln(class[i].name:8, class[i].mark:3, class[i].weight:7:2);
    total := total + class[i].mark;
    if class[i].mark > best.mark then
      best.name := class[i].name;
      best.mark := class[i].mark;
    end;
  end;
  writeln('best: ', best.name, ' (', best.mark, ')');
  writeln('average mark: ', total / 4:4:2);
end.
