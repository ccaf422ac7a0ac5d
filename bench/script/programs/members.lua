-- Members: a table field read and written.
local p = { x = 0, y = 0 }
for rep = 0, 2 do
  for i = 0, 4999999 do p.x = p.x + 1 end
end
print(p.x & 16777215)
