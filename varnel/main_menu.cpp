#include "main_menu.hpp"

#include "input_rules.hpp"

namespace varnel {

Flow MainMenu::run() {
    main_menu_power = 1;
    while (main_menu_power != 0) {
        main_menu_select = -1;
        console_.print("\n　　[SYSTEM] main_menu_power 작동중\n");
        console_.print("메인 메뉴입니다. 원하시는 기능을 선택하시고 숫자를 입력해주세요.\n");
        console_.print(
            "[1]입력한 숫자만큼의 크기를 한 변으로 하는 회전 삼각형\n[2]3가지 수의 크기 비교\n[3]사칙연산 및 나머지 "
            "계산기\n[0]프로그램 종료\n");
        if (read_whole(console_, main_menu_select) == Flow::stop) {
            return Flow::stop;
        }
        Flow tool_flow = Flow::go_on;
        switch (main_menu_select) {
            case 1:
                tool_flow = triangle_tool_.run();
                break;
            case 2:
                tool_flow = comparison_.run();
                break;
            case 3:
                tool_flow = calculator_.run();
                break;
            case 0:
                main_menu_power = 0;
                console_.print("프로그램이 깔끔하게 종료되었습니다~ :)\n\n\n");
                break;
            default:
                console_.print("1,2,3,0만 입력해주세요... :(\n");
                break;
        }
        if (tool_flow == Flow::stop) {
            return Flow::stop;
        }
    }
    return Flow::go_on;
}

bool run_dialogue(ByteSource& input, ByteSink& output, Terminal terminal) {
    Console console(input, output, terminal);
    MainMenu menu(console);
    // Choice 0 and the end of the input both end the program normally; an
    // input ended after a prompt leaves the shell a line of its own.
    if (menu.run() == Flow::stop) {
        console.end_open_line();
    }
    return console.flush();
}

}  // namespace varnel
