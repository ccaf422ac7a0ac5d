-- Globals: increments of a global variable, then of a local.
counter = 0
local function main()
  local loc = 0
  for rep = 0, 1 do
    for i = 0, 4999999 do counter = (counter + 1) & 16777215 end
    for i = 0, 4999999 do loc = (loc + 1) & 16777215 end
  end
  return (counter + loc) & 16777215
end
print(main())
